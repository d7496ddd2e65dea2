// Shortcuts out of the program: sibling-tool downloads, the support chat and
// the score image search.
#pragma once

#include "app/AppContext.h"
#include "app/ProgramTexts.h"

namespace orv {


constexpr COLORREF kChatLabelColour = RGB(0, 255, 0);
constexpr COLORREF kChatLabelFlashColour = RGB(255, 255, 255);

// Plays the click sound, then opens the address (a stored text) in the
// browser.
void OpenDownloadPage(AppContext& app, int textId);
// 按钮9: the chat link, no flash.
void OpenSupportChat(AppContext& app);
// 透明标签5: the chat link while the label shows white for a second.
void OpenSupportChatWithFlash(AppContext& app);
// 按钮3.
void SearchScoreImages(AppContext& app);
// Hint (a stored text) for a control under the pointer.
void ShowHint(AppContext& app, int unit, int textId);

}  // namespace orv
