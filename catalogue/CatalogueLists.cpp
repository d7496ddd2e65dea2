#include "catalogue/Catalogue.h"

namespace orv {

void FillListsAtStart(Runtime& rt, CatalogueState& state, const CatalogueLists& lists)
{
    ChooseCatalogueFile(rt, state);
    rt.ListAddMany(lists.master, LoadCatalogue(rt, state), state.text);
    // A file that could not be read shows nothing, and a second reading
    // could not make it safe to write over.
    if (!state.unreadable) {
        // A second reading: the display list and the search both see the
        // file exactly as it is now.
        rt.ListAddMany(lists.display, LoadCatalogue(rt, state), state.text);
        // The master list, which is what gets saved, holds the whole file
        // whatever the second reading gave.
        state.unreadable = false;
    }
    rt.SetListSelection(lists.master, -1);
    rt.SetListSelection(lists.display, -1);
}

void SyncMasterSelection(Runtime& rt, const CatalogueLists& lists)
{
    rt.SetListSelection(lists.master, -1);
    const int shown = rt.ListSelection(lists.display);
    if (shown < 0) return;
    const std::string wanted = rt.ListText(lists.display, shown);
    const int count = rt.ListCount(lists.master);
    for (int i = 0; i < count; ++i) {
        if (rt.ListText(lists.master, i) == wanted) {
            rt.SetListSelection(lists.master, i);
            rt.Repaint(lists.master);
            return;
        }
    }
}

}  // namespace orv
