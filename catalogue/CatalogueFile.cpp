#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFormat.h"

namespace orv {

const char kCatalogueFileName[] = "jidiao.dll";
const char kKeptAsideFileName[] = "jidiao-added";

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string MasterEntries(Runtime& rt, const CatalogueLists& lists)
{
    const int count = rt.ListCount(lists.master);
    std::vector<std::string> entries;
    entries.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) entries.push_back(rt.ListText(lists.master, i));
    return JoinCatalogue(entries);
}

SaveReport Failed(const WriteResult& r) { return {SaveOutcome::Failed, std::string(), r.status, r.error}; }

// Adds this run's entries to the kept-aside file in folder: after what an
// earlier such run kept there, or in the next free numbered file when that
// one cannot be read either.
WriteResult KeepAsideIn(Runtime& rt, const std::string& folder, const std::string& entries, std::string* path)
{
    WriteResult last;
    for (int n = 0; n < 100; ++n) {
        *path = folder + "\\" + kKeptAsideFileName + (n ? "-" + std::to_string(n) : std::string()) + ".txt";
        const FileContent earlier = rt.ReadWholeFile(*path);
        if (earlier.status == ReadStatus::Failed) continue;
        std::string bytes = earlier.bytes;
        if (!bytes.empty() && bytes.compare(bytes.size() > 1 ? bytes.size() - 2 : 0, 2, "\r\n") != 0) bytes += "\r\n";
        last = rt.ReplaceFileContent(*path, bytes + entries);
        return last;
    }
    return last;
}

}  // namespace

std::string CataloguePath(Runtime& rt) { return rt.ProgramDirectory() + "\\" + kCatalogueFileName; }

std::string PerUserCataloguePath(Runtime& rt)
{
    const std::string folder = rt.PerUserFolder();
    return folder.empty() ? std::string() : folder + "\\" + kCatalogueFileName;
}

void ChooseCatalogueFile(Runtime& rt, CatalogueState& state)
{
    state.path = CataloguePath(rt);
    state.perUser = false;
    const std::string perUser = PerUserCataloguePath(rt);
    uint64_t perUserTime = 0, besideTime = 0;
    // A copy in a folder it may write keeps its catalogue there: the per-user
    // copy belongs to the copies that cannot.
    if (perUser.empty() || !rt.LastWriteTime(perUser, &perUserTime) || rt.FolderWritable(rt.ProgramDirectory()))
        return;
    if (!rt.LastWriteTime(state.path, &besideTime) || perUserTime > besideTime) {
        state.path = perUser;
        state.perUser = true;
    }
}

const std::vector<std::string_view>& LoadCatalogue(Runtime& rt, CatalogueState& state)
{
    if (state.path.empty()) ChooseCatalogueFile(rt, state);
    FileContent file = rt.ReadWholeFile(state.path);
    state.unreadable = file.status == ReadStatus::Failed;
    // The start-up reads the file twice; when nothing changed in between,
    // both lists refer to one copy of it.
    if (state.text && *state.text == file.bytes) return state.lines;
    state.lines.clear();
    state.text = std::make_shared<const std::string>(std::move(file.bytes));
    state.lines = CatalogueEntries(*state.text);
    return state.lines;
}

SaveReport SaveCatalogue(Runtime& rt, CatalogueState& state, const CatalogueLists& lists)
{
    const std::string entries = MasterEntries(rt, lists);
    if (state.unreadable) {
        // The file holds songs this run never saw: it stays as it is.
        if (entries.empty()) return {SaveOutcome::NothingToKeep, std::string()};
        std::string path;
        WriteResult r = KeepAsideIn(rt, FolderOf(state.path), entries, &path);
        if (r.status == WriteStatus::FolderNotWritable && !state.perUser) {
            const std::string folder = rt.PerUserFolder();
            if (!folder.empty() && rt.CreateFolder(folder)) r = KeepAsideIn(rt, folder, entries, &path);
        }
        return r ? SaveReport{SaveOutcome::KeptAside, path} : Failed(r);
    }
    WriteResult r = rt.ReplaceFileContent(state.path, entries);
    if (r) return {SaveOutcome::Saved, state.path};
    if (r.status != WriteStatus::FolderNotWritable || state.perUser) return Failed(r);
    // A folder the user may not write (the program unpacked under Program
    // Files, say): the catalogue moves to the user's own folder, and the
    // next start reads it from there.
    const std::string perUser = PerUserCataloguePath(rt);
    if (perUser.empty() || !rt.CreateFolder(FolderOf(perUser))) return Failed(r);
    r = rt.ReplaceFileContent(perUser, entries);
    if (!r) return Failed(r);
    state.path = perUser;
    state.perUser = true;
    return {SaveOutcome::MovedToPerUser, perUser};
}

}  // namespace orv
