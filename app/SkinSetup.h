// Skinning the main window and its controls from the window-created handler.
#pragma once

#include "app/AppContext.h"

namespace orv {

// Frame, containers, skin options, icon buttons, picture buttons and the
// search row's text colour, in that order.
void ApplyMainWindowSkin(AppContext& app);

}  // namespace orv
