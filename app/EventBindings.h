#pragma once

#include "app/AppContext.h"
#include "app/EventTable.h"
#include "runtime/Win32Runtime.h"

namespace orv {

// Runs one handler with the event's arguments.
void InvokeHandler(AppContext& app, Handler handler, const EventArgs& args);

// Binds every event of the table to its handler.
void BindEvents(Win32Runtime& rt, AppContext& app, EventTable table);

inline void BindMainWindowEvents(Win32Runtime& rt, AppContext& app) { BindEvents(rt, app, MainEvents()); }

}  // namespace orv
