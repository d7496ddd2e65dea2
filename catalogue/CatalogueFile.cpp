#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFormat.h"

namespace orv {

const char kCatalogueFileName[] = "jidiao.dll";

std::string CataloguePath(Runtime& rt) { return rt.ProgramDirectory() + "\\" + kCatalogueFileName; }

const std::vector<std::string>& LoadCatalogue(Runtime& rt, CatalogueState& state)
{
    state.text = rt.ReadWholeFile(CataloguePath(rt));
    state.lines = SplitCatalogue(state.text);
    return state.lines;
}

void SaveCatalogue(Runtime& rt, const CatalogueLists& lists)
{
    const int count = rt.ListCount(lists.master);
    std::vector<std::string> entries;
    entries.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) entries.push_back(rt.ListText(lists.master, i));
    rt.ReplaceFileContent(CataloguePath(rt), JoinCatalogue(entries));
}

}  // namespace orv
