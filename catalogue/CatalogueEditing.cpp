#include "catalogue/CatalogueEditing.h"

#include "catalogue/KeywordMatch.h"
#include "catalogue/PinyinMatch.h"

namespace orv {

void ShowSearchResults(Runtime& rt, const CatalogueState& catalogue, std::string_view keyword, int displayUnit)
{
    const std::string_view block = catalogue.text ? std::string_view(*catalogue.text) : std::string_view();
    std::vector<std::string_view> matches = LinesWithKeyword(catalogue.lines, keyword, block);
    // Letters that no entry holds as typed may be a title's pinyin: only
    // then, so a search that finds something finds exactly what it did.
    if (matches.empty()) {
        PinyinKeyword pinyin(keyword);
        if (pinyin.Usable())
            for (std::string_view line : catalogue.lines)
                if (pinyin.Matches(line)) matches.push_back(line);
    }
    rt.ListReplaceAll(displayUnit, matches, catalogue.text);
}

void AddEntryToLists(Runtime& rt, const CatalogueLists& lists, std::string_view text)
{
    rt.ListAdd(lists.master, text);
    rt.ListAdd(lists.display, text);
}

void DeleteSelectedEntry(Runtime& rt, const CatalogueLists& lists)
{
    const int shown = rt.ListSelection(lists.display);
    if (shown < 0) return;
    const std::string text = rt.ListText(lists.display, shown);
    rt.ListDelete(lists.display, shown);
    // The master list's own selection may be stale (left from an earlier
    // item, or absent after a search found a deleted entry), so the entry is
    // looked up by its text rather than trusted by index.
    const int count = rt.ListCount(lists.master);
    for (int i = 0; i < count; ++i) {
        if (rt.ListText(lists.master, i) == text) {
            rt.ListDelete(lists.master, i);
            return;
        }
    }
}

}  // namespace orv
