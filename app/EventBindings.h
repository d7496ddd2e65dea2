#pragma once

#include "app/AppContext.h"
#include "runtime/Win32Runtime.h"

namespace orv {

// Binds every event of the main window's layout to its handler.
void BindMainWindowEvents(Win32Runtime& rt, AppContext& app);

}  // namespace orv
