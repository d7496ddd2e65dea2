// The catalogue's event handlers: search, add, delete, the key hint.
#pragma once

#include "app/AppContext.h"
#include "app/ProgramTexts.h"

namespace orv {


constexpr UINT kEmptyKeywordStyle = MB_OK | MB_ICONINFORMATION;                       // 0x40
constexpr UINT kConfirmDeleteStyle = MB_YESNO | MB_ICONINFORMATION | MB_SYSTEMMODAL;  // 0x1044
constexpr int kAnswerYes = IDYES - 1;

// 按钮1 and Enter in 编辑框2.
void SearchCatalogue(AppContext& app);
// 按钮2.
void AddEntry(AppContext& app);
// Double-click in the display list.
void DeleteEntry(AppContext& app);
// The pointer at (x, y) over the display list: what to set for the key of
// the entry under it, or no hint where no key is written.
void ShowSongKeyHint(AppContext& app, int x, int y);

}  // namespace orv
