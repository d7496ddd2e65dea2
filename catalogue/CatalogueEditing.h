// What searching, adding and deleting do to the two lists.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/Catalogue.h"

namespace orv {

// Clears the display list and adds, in order, every line of the catalogue as
// read that contains the keyword (character-aligned, case-sensitive). When
// none does and the keyword is pinyin (two letters or more, spaces and
// apostrophes between them), the lines whose Chinese it spells instead.
void ShowSearchResults(Runtime& rt, const CatalogueState& catalogue, std::string_view keyword, int displayUnit);

// Appends text to the master list and to the display list, whatever the
// display list shows.
void AddEntryToLists(Runtime& rt, const CatalogueLists& lists, std::string_view text);

// Removes the display list's current item, and from the master list the first
// item with the same text: never an entry the user cannot see, and nothing
// when the display list has no current item.
void DeleteSelectedEntry(Runtime& rt, const CatalogueLists& lists);

}  // namespace orv
