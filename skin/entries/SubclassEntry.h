// Entry of the table of colour-key controls registered by SubclassControl.
// Such controls carry Kj_lbID, Kj_FuID and Kj_hProc instead of the Hw_
// properties.
#pragma once

#include "skin/entries/ControlEntry.h"

namespace orv {

struct SubclassEntry : ControlEntry {
    COLORREF keyColour = 0;  // the control's own background colour, keyed out when painted
};

}  // namespace orv
