// The main window's own event handlers and the keyword box's two.
#pragma once

#include "app/AppContext.h"

namespace orv {

void OnMainWindowCreated(AppContext& app);
void OnMainWindowQueryClose(AppContext& app);
void OnMainWindowResized(AppContext& app);
void OnTrayNotify(AppContext& app, int kind);
void OnKeywordFocusGained(AppContext& app);
void OnKeywordKeyDown(AppContext& app, int keyCode, int modifiers);

}  // namespace orv
