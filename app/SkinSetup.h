// Skinning the main window and its controls from the window-created handler.
#pragma once

#include "app/AppContext.h"

namespace orv {

// Starts preparing the main window's background picture, before the window
// is made: the work then runs beside the making of the window and its
// controls. After the GDI+ session has started.
void PrepareMainWindowBackground();

// Frame, containers, skin options, icon buttons, picture buttons and the
// search row's text colour, in that order.
void ApplyMainWindowSkin(AppContext& app);

}  // namespace orv
