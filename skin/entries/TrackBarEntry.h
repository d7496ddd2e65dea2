// Entry of the table of track bars: the style facts read when the control
// was registered.
#pragma once

#include "skin/entries/ControlEntry.h"

namespace orv {

// Where a track bar draws its ticks.
enum TickPlacement { kTicksTopLeft = 0, kTicksBottomRight = 1, kTicksBoth = 2, kTicksNone = 3 };

struct TrackBarEntry : ControlEntry {
    int vertical = 0;        // TBS_VERT
    int ticks = kTicksBottomRight;
    int selectionRange = 0;  // TBS_ENABLESELRANGE
    int hot = 0;             // the pointer is over the control
};

}  // namespace orv
