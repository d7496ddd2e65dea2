// Which handler each event of the main window runs, as data: the program
// binds from this table directly, and the image builder stores it in the
// program image's layout, from which the runtime binds it again.
#pragma once

#include <cstdint>

#include "runtime/Layout.h"

namespace orv {

// Stable numbers: they are stored in program images.
enum class Handler : uint32_t {
    MainCreated = 1,
    MainQueryClose,
    MainResized,
    MainTrayNotify,
    SyncMasterSelection,
    DeleteEntry,
    SearchCatalogue,
    AddEntry,
    SearchScoreImages,
    KeywordKeyDown,
    KeywordFocusGained,
    HintRessim,
    HintPellat,
    HintCorvel,
    HintTamblin,
    OpenRessim,
    OpenPellat,
    OpenCorvel,
    OpenTamblin,
    OpenSupportChat,
    HintChat,
    OpenSupportChatWithFlash,
    HintSongKey,
    Count
};

struct EventBinding {
    int unit;
    EventKind event;
    Handler handler;
};

struct EventTable {
    const EventBinding* bindings;
    int count;
};

EventTable MainEvents();

}  // namespace orv
