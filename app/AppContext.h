// Program-wide state of the application and the services its handlers use.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

#include "catalogue/Catalogue.h"
#include "runtime/Runtime.h"

namespace orv {

class SkinEngine;
class TrackKeys;

// Shows a message box owned by owner and returns the pressed button's
// identifier minus one (OK 0, Cancel 1, Yes 5, No 6). A null caption gives the
// system's default title.
using MessageBoxService = std::function<int(HWND owner, const char* text, UINT style, const char* caption)>;

struct AppContext {
    Runtime* rt = nullptr;
    SkinEngine* skin = nullptr;
    CatalogueState catalogue;
    CatalogueLists lists{};
    MessageBoxService showMessageBox;
    std::string_view clickSound;  // WAV bytes, valid for the whole run
    HICON appIcon = nullptr;
    TrackKeys* trackKeys = nullptr;  // backing tracks handed over; none in tests of the handlers
};

}  // namespace orv
