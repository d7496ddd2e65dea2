// A DLL's function looked up by name and typed as its header declares it:
// for DLLs loaded only when a feature first needs them, never at start-up.
// Windows only.
#pragma once

#include <windows.h>

namespace orv {

// *f is null where module is null or does not export name.
template <typename F>
void FindFunction(HMODULE module, const char* name, F* f)
{
    *f = module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace orv
