#include "app/TrackKeys.h"

#include <algorithm>

#include "app/CatalogueActions.h"
#include "app/MainLayout.h"
#include "catalogue/CatalogueEditing.h"
#include "runtime/Win32Runtime.h"

namespace orv {

namespace {

// A box taller than the screen hides its buttons: the list of a large
// folder is cut here, and says how many more there were.
constexpr size_t kMostListedTracks = 25;

// A box breaks its lines at LF; under Wine a CR before it shows as a glyph.
std::string BoxLines(std::string text)
{
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
    return text;
}

struct Line {
    std::string text;
    std::optional<std::string> newEntry;
};

bool StartsWith(const std::string& s, const std::string& prefix)
{
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

std::string TrimmedSpaces(std::string s)
{
    // ASCII spaces and the ideographic space (A1 A1 in GBK).
    for (;;) {
        if (!s.empty() && s.front() == ' ') s.erase(0, 1);
        else if (StartsWith(s, "\xA1\xA1")) s.erase(0, 2);
        else break;
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

}  // namespace

void TrackKeys::Take(std::vector<std::wstring> paths)
{
    if (paths.empty()) return;
    waiting_.push_back(std::move(paths));
    if (!job_.Running()) StartNext();
}

void TrackKeys::StartNext()
{
    while (!waiting_.empty() && !job_.Running()) {
        std::vector<std::wstring> paths = std::move(waiting_.front());
        waiting_.pop_front();
        if (!caption_) caption_ = app_.rt->Content(kMainWindow);
        Win32Runtime* rt = &rt_;
        TrackKeys* self = this;
        job_.Start(
            std::move(paths), [rt](std::function<void()> action) { return rt->PostAction(std::move(action)); },
            [self](int next, int total) { self->OnProgress(next, total); },
            [self](TrackJobResult result) { self->OnDone(std::move(result)); });
    }
    if (!job_.Running()) RestoreCaption();
}

bool TrackKeys::StopByUser()
{
    if (!job_.Running()) return false;
    waiting_.clear();
    job_.Stop();
    return true;
}

void TrackKeys::StopAndWait()
{
    waiting_.clear();
    job_.StopAndWait();
}

void TrackKeys::RestoreCaption()
{
    if (!caption_) return;
    app_.rt->SetContent(kMainWindow, *caption_);
    caption_.reset();
}

void TrackKeys::OnProgress(int next, int total) { app_.rt->SetContent(kMainWindow, ProgressCaption(next, total)); }

void TrackKeys::OnDone(TrackJobResult result)
{
    // The caption comes back after the boxes: redrawing it would hold the
    // result up by a frame's render.
    if (!result.stopped) {
        HWND owner = app_.rt->ControlHandle(kMainWindow);
        for (const std::wstring& folder : result.foldersWithoutTracks)
            app_.showMessageBox(owner, BoxLines(FolderWithoutTracksText(folder)).c_str(), MB_OK | MB_ICONINFORMATION,
                                kTrackBoxCaption);
        if (result.tracks.size() == 1 && !result.several) TellOne(result.tracks.front());
        else if (!result.tracks.empty()) TellSeveral(result);
    }
    if (waiting_.empty()) RestoreCaption();
    StartNext();
}

std::optional<CatalogueMatch> TrackKeys::FindInCatalogue(const std::string& title)
{
    std::optional<CatalogueMatch> bare;
    const int master = app_.lists.master;
    const int count = app_.rt->ListCount(master);
    for (int i = 0; i < count; ++i) {
        const std::string entry = app_.rt->ListText(master, i);
        if (!StartsWith(entry, title)) continue;
        const std::string rest = entry.substr(title.size());
        if (TrimmedSpaces(rest).empty()) {
            if (!bare) bare = CatalogueMatch{entry, std::string(), std::nullopt};
            continue;
        }
        // "晴天 G调", not "晴天的雨": a space, then nothing but the key.
        if (rest[0] != ' ' && !StartsWith(rest, "\xA1\xA1")) continue;
        const std::string keyText = TrimmedSpaces(rest);
        if (std::optional<SongKey> key = ReadSongKey(keyText); key && keyText.find(' ') == std::string::npos)
            return CatalogueMatch{entry, keyText, key};
    }
    return bare;
}

void TrackKeys::TellOne(const TrackJobResult::Track& track)
{
    const TrackReport& report = track.report;
    const std::string title = CatalogueTitle(report.title);
    const std::string text = SingleTrackText(track.path, report, title, FindInCatalogue(title));
    HWND owner = app_.rt->ControlHandle(kMainWindow);
    app_.showMessageBox(owner, BoxLines(text).c_str(), MB_OK | MB_ICONINFORMATION, kTrackBoxCaption);
    if (report.outcome != TrackReport::Outcome::Key) return;
    // After the box has given the focus back: 编辑框2 empties itself when it
    // gains the focus, so it is given the focus first and the text after.
    const std::string entry = EntryFor(title, report.estimate.signature);
    AppContext* app = &app_;
    app_.rt->Defer([app, entry] {
        HWND edit = app->rt->ControlHandle(kEdit2);
        if (GetFocus() != edit) SetFocus(edit);
        app->rt->SetContent(kEdit2, entry);
        SendMessageA(edit, EM_SETSEL, entry.size(), entry.size());
    });
}

void TrackKeys::TellSeveral(const TrackJobResult& result)
{
    std::vector<Line> lines;
    std::vector<std::string> seen;
    for (const TrackJobResult::Track& track : result.tracks) {
        const TrackReport& r = track.report;
        const std::string title = CatalogueTitle(r.title);
        Line line{title + " → ", std::nullopt};
        if (r.outcome != TrackReport::Outcome::Key) {
            line.text += "× " + ShortFailure(r);
            lines.push_back(line);
            continue;
        }
        const KeyEstimate& e = r.estimate;
        line.text += CatalogueKeyName(e.signature) + "调";
        if (e.key.minor) line.text += " (" + TonicName(e.key) + "m)";
        const std::optional<CatalogueMatch> match = FindInCatalogue(title);
        if (match && match->key) {
            const bool same = SignatureOf(*match->key) == e.signature;
            line.text += same ? "（目录中相同）" : "  ≠ 目录中 " + match->keyText;
        } else if (match) {
            line.text += "（目录中已有）";
        } else if (std::find(seen.begin(), seen.end(), title) == seen.end()) {
            line.newEntry = EntryFor(title, e.signature);
            seen.push_back(title);
        }
        lines.push_back(line);
    }

    std::string text = "分析了 " + std::to_string(result.tracks.size()) + " 个文件：\r\n";
    int added = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i < kMostListedTracks) text += lines[i].text + "\r\n";
        if (lines[i].newEntry) ++added;
    }
    if (lines.size() > kMostListedTracks)
        text += "……另有 " + std::to_string(lines.size() - kMostListedTracks) + " 个未列出\r\n";
    HWND owner = app_.rt->ControlHandle(kMainWindow);
    if (added == 0) {
        app_.showMessageBox(owner, BoxLines(text + "没有可加入歌曲库的新歌。").c_str(), MB_OK | MB_ICONINFORMATION,
                            kTrackBoxCaption);
        return;
    }
    text += "把 " + std::to_string(added) + " 首新歌连同调加入歌曲库吗？";
    const int answer = app_.showMessageBox(owner, BoxLines(text).c_str(), MB_YESNO | MB_ICONQUESTION, kTrackBoxCaption);
    if (answer != kAnswerYes) return;
    for (const Line& line : lines)
        if (line.newEntry) AddEntryToLists(*app_.rt, app_.lists, *line.newEntry);
}

}  // namespace orv
