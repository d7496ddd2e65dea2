// Shortcuts out of the program: sibling-tool downloads, the support chat and
// the score image search.
#pragma once

#include "app/AppContext.h"

namespace orv {

extern const char kRessimPage[];
extern const char kPellatPage[];
extern const char kCorvelPage[];
extern const char kTamblinPage[];
extern const char kChatLinkTemplate[];
extern const char kChatContactNumber[];
extern const char kScoreSearchPrefix[];
extern const char kChatHint[];

constexpr COLORREF kChatLabelColour = RGB(0, 255, 0);
constexpr COLORREF kChatLabelFlashColour = RGB(255, 255, 255);

// Plays the click sound, then opens address in the browser.
void OpenDownloadPage(AppContext& app, const char* address);
// 按钮9: the chat link, no flash.
void OpenSupportChat(AppContext& app);
// 透明标签5: the chat link while the label shows white for a second.
void OpenSupportChatWithFlash(AppContext& app);
// 按钮3.
void SearchScoreImages(AppContext& app);
// Hint for a control under the pointer.
void ShowHint(AppContext& app, int unit, const char* text);

}  // namespace orv
