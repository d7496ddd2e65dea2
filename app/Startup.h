#pragma once

#include <string_view>

#include "app/EventTable.h"
#include "runtime/Layout.h"

namespace orv {

// What the program is made of: its window's layout, the events bound in it
// and the window's sound.
struct ProgramDescription {
    LayoutTable layout;
    EventTable events;
    std::string_view windowSound;
};

struct AppContext;

// Before any window: GDI+ session, the program's icon and the skin's options.
void StartupRoutine(AppContext& app);

// The program's own tables and the executable's stored items.
ProgramDescription BuiltInProgram();

// The whole program run: start-up sequence, main window, message loop and
// exit clean-up. Returns the process exit code.
int RunOrvane(const ProgramDescription& program);

}  // namespace orv
