// The catalogue's event handlers: search, add, delete.
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

}  // namespace orv
