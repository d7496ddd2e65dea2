#include <windows.h>

#include "app/Startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return orv::RunOrvane(orv::BuiltInProgram()); }
