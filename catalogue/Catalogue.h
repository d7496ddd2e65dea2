// The song-key catalogue at run time: the file as read at start-up, and the
// two list boxes that hold it on screen (the hidden master list, which is
// saved, and the display list the user sees).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/Runtime.h"

namespace orv {

struct CatalogueState {
    // The whole file as read, shared with the lists that show its entries.
    SharedBytes text;
    std::vector<std::string_view> lines;  // its entries, into text; the keyword search reads these
    std::string path;                // the file read at start-up, and written at close
    bool perUser = false;            // path is the user's own copy, not the one beside the program
    // The file is there but could not be read whole (locked by another
    // program, an I/O error, too large): it is never replaced, and what
    // this run adds is kept in a file beside it.
    bool unreadable = false;
};

struct CatalogueLists {
    int master;   // unit of the master list
    int display;  // unit of the display list
};

extern const char kCatalogueFileName[];
// Where a run that could not read the catalogue keeps what it added.
extern const char kKeptAsideFileName[];

// Program directory + "\jidiao.dll".
std::string CataloguePath(Runtime& rt);

// The per-user copy: "%APPDATA%\Orvane\jidiao.dll"; empty when there is no
// per-user folder.
std::string PerUserCataloguePath(Runtime& rt);

// Picks the file to read and later write, into state.path: the one beside
// the program, unless that folder cannot be written and the per-user copy
// exists and is the newer of the two.
void ChooseCatalogueFile(Runtime& rt, CatalogueState& state);

// Reads state.path (chosen first when empty) into state, replacing what it
// held, and returns the entries: none when the file is missing or could not
// be read; the latter marks the state unreadable. A reading that gives the
// bytes already held keeps them, so whatever refers to them shares them.
const std::vector<std::string_view>& LoadCatalogue(Runtime& rt, CatalogueState& state);

enum class SaveOutcome {
    Saved,          // written back where it was read from
    MovedToPerUser, // the program's folder cannot be written: now in the per-user copy at path
    KeptAside,      // the catalogue could not be read: this run's entries are in the file at path
    NothingToKeep,  // the catalogue could not be read and this run added nothing
    Failed,         // nothing written, the old file intact; reason says why
};

struct SaveReport {
    SaveOutcome outcome = SaveOutcome::Failed;
    std::string path;
    WriteStatus reason = WriteStatus::Ok;
    unsigned long error = 0;
};

// Writes every item of the master list, each followed by CR LF, replacing
// the file in one step; an unreadable catalogue is never replaced.
SaveReport SaveCatalogue(Runtime& rt, CatalogueState& state, const CatalogueLists& lists);

// Fills the master list, then the display list, each from its own reading of
// the file; neither list gets a selection. When the first reading fails the
// lists stay empty.
void FillListsAtStart(Runtime& rt, CatalogueState& state, const CatalogueLists& lists);

// Selects in the master list the first item whose text equals the display
// list's selected item, byte for byte; none when there is no such item.
void SyncMasterSelection(Runtime& rt, const CatalogueLists& lists);

}  // namespace orv
