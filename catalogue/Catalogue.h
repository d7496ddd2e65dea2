// The song-key catalogue at run time: the file as read at start-up, and the
// two list boxes that hold it on screen (the hidden master list, which is
// saved, and the display list the user sees).
#pragma once

#include <string>
#include <vector>

#include "runtime/Runtime.h"

namespace orv {

struct CatalogueState {
    std::string text;                // the whole file as read
    std::vector<std::string> lines;  // its entries; the keyword search reads these
};

struct CatalogueLists {
    int master;   // unit of the master list
    int display;  // unit of the display list
};

extern const char kCatalogueFileName[];

// Program directory + "\jidiao.dll".
std::string CataloguePath(Runtime& rt);

// Reads the file (missing or unreadable: empty) into state, replacing what it
// held, and returns the entries.
const std::vector<std::string>& LoadCatalogue(Runtime& rt, CatalogueState& state);

// Writes every item of the master list back, each followed by CR LF, replacing
// the file in one step. Failures are silent; the file is then unchanged.
void SaveCatalogue(Runtime& rt, const CatalogueLists& lists);

// Fills the master list, then the display list, each from its own reading of
// the file; neither list gets a selection.
void FillListsAtStart(Runtime& rt, CatalogueState& state, const CatalogueLists& lists);

// Selects in the master list the first item whose text equals the display
// list's selected item, byte for byte; none when there is no such item.
void SyncMasterSelection(Runtime& rt, const CatalogueLists& lists);

}  // namespace orv
