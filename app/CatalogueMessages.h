// What the user is told about the catalogue file: that it could not be read
// at start-up, and where a close saved it when that was not the usual place.
#pragma once

#include "app/AppContext.h"

namespace orv {

constexpr UINT kCatalogueWarningStyle = MB_OK | MB_ICONWARNING;
constexpr UINT kCatalogueNoticeStyle = MB_OK | MB_ICONINFORMATION;

// Once the window shows: the file is left untouched and additions go aside.
void TellCatalogueUnreadable(AppContext& app);

// After the close's save; nothing for a save that went where it always goes.
void TellSaveReport(AppContext& app, const SaveReport& report);

}  // namespace orv
