#include "skin/SkinEngine.h"

#include <memory>

#include "gdiplus/Gp.h"
#include "resources/Resources.h"
#include "runtime/FileServices.h"
#include "skin/ButtonSkin.h"
#include "skin/ColourKeySkin.h"
#include "skin/ContainerSkin.h"
#include "skin/Registry.h"
#include "util/MemoryTrim.h"

namespace orv {

namespace {

// The targets of the two thunks: stdcall routines that take the skin object
// first (see MethodThunk.h) and call the virtual operation, so a subclass's
// override is what Windows reaches.
LRESULT __stdcall FrameProcTrampoline(SkinEngine* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return self->FrameWindowProc(window, message, wParam, lParam);
}

int __stdcall ActionTrampoline(SkinEngine* self, int windowIndex, int buttonIndex)
{
    return self->RunTitleButtonAction(windowIndex, buttonIndex);
}

std::string Stored(int id)
{
    std::string_view v = StoredBytes(id);
    return std::string(v.data(), v.size());
}

}  // namespace

SkinSettings& Skin()
{
    static SkinSettings settings;
    return settings;
}

SkinEngine::SkinEngine(COLORREF defaultBackColour)
{
    Skin().defaultBackColour = defaultBackColour;
    BuildThunks();
}

void SkinEngine::BuildThunks()
{
    frameThunk_.Build(this, reinterpret_cast<void*>(&FrameProcTrampoline), 4);
    actionThunk_.Build(this, reinterpret_cast<void*>(&ActionTrampoline), 2);
    actionThunkAddress_ = actionThunk_.Code();
}

void SkinEngine::Release()
{
    SkinSettings& s = Skin();
    if (s.appIcon) {
        DestroyIcon(s.appIcon);
        s.appIcon = nullptr;
    }
    DropBackgroundAhead();
    EndGdiPlus(&s.gdiplusToken);
    // Release runs at program end: let a trim that is starting its trimmer
    // finish, so the exit does not cut the new process off half-created.
    WaitForTrimsToEnd(4000);
    // A skinned window still alive would call freed code; only free the
    // thunks when no window uses them any more.
    for (int i = 1; i <= WindowCount(); ++i)
        if (RecordAt(i)) return;
    frameThunk_.Free();
    actionThunk_.Free();
    actionThunkAddress_ = nullptr;
}

SkinEngine* SkinEngine::Copy()
{
    auto* copy = new SkinEngine(Skin().defaultBackColour);
    copy->borderBand_ = borderBand_;
    copy->hoveredTitleButton_ = hoveredTitleButton_;
    return copy;
}

void SkinEngine::SetControlSkinOptions(int enable, int alpha, bool alphaGiven, int trackStyle, bool trackStyleGiven)
{
    SkinSettings& s = Skin();
    s.controlSkinning = enable;
    s.backgroundAlpha = alphaGiven ? alpha : 160;
    s.translucentBackground = alphaGiven ? 1 : 0;
    s.trackStyle = trackStyleGiven ? trackStyle : 1;
}

COLORREF SkinEngine::GetDefaultBackColour() { return Skin().defaultBackColour; }

// ---------------------------------------------------------------------------
// Window skin

void SkinEngine::SetBackground(WindowSkinRecord& record, std::string_view image, int layoutMode)
{
    record.layoutMode = layoutMode;
    record.backgroundSource.assign(image.data(), image.size());
    StartBackgroundPreparation(record);
}

void SkinEngine::AddStandardTitleButtons(WindowSkinRecord& record, DWORD style)
{
    struct Standard {
        int condition;
        const char* name;
        int width;
        int action;
        int image;
        int second;
    };
    const Standard standard[] = {
        {record.showHelp, "帮助", 26, kActionHelp, IDR_TITLE_HELP, 0},
        {record.showMenu, "主菜单", 26, kActionMenu, IDR_TITLE_MENU, 0},
        {(style & WS_MINIMIZEBOX) ? 1 : 0, "最小化", 26, kActionMinimise, IDR_TITLE_MIN, 0},
        {(style & WS_MAXIMIZEBOX) ? 1 : 0, "最大化", 26, kActionMaximise, IDR_TITLE_MAX, IDR_TITLE_RESTORE},
        {1, "关闭", 38, kActionClose, IDR_TITLE_CLOSE, 0},
    };
    for (const Standard& s : standard) {
        if (!s.condition) continue;
        TitleButton* b = record.titleButtons.Get(record.titleButtons.Take());
        b->width = s.width;
        b->height = 18;
        b->image = Stored(s.image);
        if (s.second) b->secondImage = Stored(s.second);
        b->action = s.action;
        b->name = s.name;
    }
}

void SkinEngine::SkinWindow(HWND window, Opt<int> titleHeight, Opt<int> titleBar, Opt<int> resizable,
                            Opt<int> helpButton, Opt<int> menuButton, Opt<int> caption, Opt<int> titleGloss,
                            Opt<int> titleTabCount, Opt<const std::vector<std::string>*> titleTabTexts,
                            Opt<std::string_view> background, Opt<int> layoutMode)
{
    if (!IsWindow(window) || FindWindowRecord(window)) return;
    borderBand_ = 3;
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));

    auto record = std::make_unique<WindowSkinRecord>();
    WindowSkinRecord& r = *record;
    r.window = window;
    r.titleHeight = titleHeight.Or(25) < 25 ? 25 : titleHeight.Or(25);
    r.titleBar = titleBar.Or(1);
    r.resizable = resizable.Or(1);
    r.showHelp = helpButton.Or(0);
    r.showMenu = menuButton.Or(0);
    r.showMinimise = (style & WS_MINIMIZEBOX) ? 1 : 0;
    r.showMaximise = (style & WS_MAXIMIZEBOX) ? 1 : 0;
    r.showClose = 1;
    r.captionShown = caption.Or(1);
    r.titleGloss = titleGloss.Or(0);
    r.maxWidth = GetSystemMetrics(SM_CXSCREEN);
    r.maxHeight = GetSystemMetrics(SM_CYSCREEN);
    if (background.given) SetBackground(r, background.value, layoutMode.Or(Skin().defaultBackgroundLayout));
    else r.layoutMode = layoutMode.Or(Skin().defaultBackgroundLayout);
    AddStandardTitleButtons(r, style);

    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style | WS_SYSMENU));
    const int index = AppendWindowRecord(std::move(record));
    WindowSkinRecord* rec = RecordAt(index);

    LayoutTitleButtons(index);
    // The tools get the cells just laid out; ids are the buttons' indexes.
    rec->tooltip.Create(window, 0);
    for (int i = 1; i <= rec->titleButtons.Count(); ++i) {
        TitleButton* b = rec->titleButtons.Get(i);
        rec->tooltip.AddTool(b->hitRect, b->name.c_str(), static_cast<UINT>(i));
    }
    if (titleTabCount.Or(0) > 0 && titleTabTexts.given && titleTabTexts.value) {
        std::vector<std::string> texts = *titleTabTexts.value;
        texts.resize(static_cast<size_t>(titleTabCount.value));
        SetTitleTabs(index, texts);
        SetTitleTabStyle(window, {}, {}, {}, Given<COLORREF>(0x00FFFFFF), Given<std::string>("宋体"), Given(12));
    }
    LayoutTitleTabs(index);

    RunControlInstallers(index, window);

    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FrameProcAddress())));
    rec = RecordAt(index);
    rec->previousProc = previous;
    SetProperty(window, kPropProc, reinterpret_cast<uintptr_t>(previous));
    SetProperty(window, kPropIndex, static_cast<uintptr_t>(index));
}

void SkinEngine::AddTitleButton(HWND window, std::string_view image, Opt<std::string> tip,
                                Opt<TitleButtonCallback> callback)
{
    int index = 0;
    WindowSkinRecord* r = RecordOfWindow(window, &index);
    if (!r) return;
    int i = r->titleButtons.Take();
    TitleButton* b = r->titleButtons.Get(i);
    b->width = 26;
    b->height = 18;
    b->image.assign(image.data(), image.size());
    b->action = kActionUser;
    b->name = tip.Or(std::string());
    b->callback = callback.Or(nullptr);
    LayoutTitleButtons(index);
    b = r->titleButtons.Get(i);
    r->tooltip.AddTool(b->hitRect, b->name.c_str(), static_cast<UINT>(i));
    r->repaintNeeded = 1;
    InvalidateRect(window, nullptr, FALSE);
}

void SkinEngine::SyncTitleButtonsWithStyle(HWND window)
{
    int index = 0;
    WindowSkinRecord* r = RecordOfWindow(window, &index);
    if (!r) return;
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    // Keep the user buttons; the standard ones are rebuilt from the style.
    std::vector<TitleButton> user;
    for (int i = 1; i <= r->titleButtons.Count(); ++i) {
        r->tooltip.DelTool(static_cast<UINT>(i));
        if (r->titleButtons.Get(i)->action == kActionUser) user.push_back(*r->titleButtons.Get(i));
    }
    r->titleButtons = TitleButtonList();
    r->showMinimise = (style & WS_MINIMIZEBOX) ? 1 : 0;
    r->showMaximise = (style & WS_MAXIMIZEBOX) ? 1 : 0;
    AddStandardTitleButtons(*r, style);
    for (const TitleButton& u : user) *r->titleButtons.Get(r->titleButtons.Take()) = u;
    r->highlighted = r->fading = r->pressed = 0;
    LayoutTitleButtons(index);
    for (int i = 1; i <= r->titleButtons.Count(); ++i) {
        TitleButton* b = r->titleButtons.Get(i);
        r->tooltip.AddTool(b->hitRect, b->name.c_str(), static_cast<UINT>(i));
    }
    r->repaintNeeded = 1;
    InvalidateRect(window, nullptr, FALSE);
}

void SkinEngine::SetCaptionStyle(HWND window, Opt<std::string> fontName, Opt<int> fontSize, Opt<COLORREF> colour,
                                 Opt<COLORREF> shadowColour, Opt<int> style)
{
    WindowSkinRecord* r = RecordOfWindow(window);
    if (!r) return;
    r->fontName = fontName.Or(r->fontName);
    r->fontSize = fontSize.Or(r->fontSize);
    r->captionColour = colour.Or(r->captionColour);
    r->shadowColour = shadowColour.Or(r->shadowColour);
    r->fontStyle = style.Or(r->fontStyle);
    r->repaintNeeded = 1;
    InvalidateRect(window, nullptr, FALSE);
}

void SkinEngine::SetBackgroundImage(HWND window, std::string_view image, Opt<int> layoutMode)
{
    WindowSkinRecord* r = RecordOfWindow(window);
    if (!r) return;
    SetBackground(*r, image, layoutMode.Or(r->layoutMode));
    r->repaintNeeded = 1;
    InvalidateRect(window, nullptr, FALSE);
}

void SkinEngine::SetBackgroundFromFile(const std::string& path, Opt<int> layoutMode)
{
    std::string bytes = ReadWholeFile(path);
    if (bytes.empty()) return;
    for (int i = 1; i <= WindowCount(); ++i) {
        WindowSkinRecord* r = RecordAt(i);
        if (r && IsWindowVisible(r->window)) SetBackgroundImage(r->window, bytes, layoutMode);
    }
}

void SkinEngine::SetHelpCallback(HWND window, TitleButtonCallback routine)
{
    if (WindowSkinRecord* r = RecordOfWindow(window)) r->helpCallback = routine;
}

void SkinEngine::SetMenuCallback(HWND window, TitleButtonCallback routine)
{
    if (WindowSkinRecord* r = RecordOfWindow(window)) r->menuCallback = routine;
}

int SkinEngine::RunTitleButtonAction(int windowIndex, int buttonIndex)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r) return 0;
    TitleButton* b = r->titleButtons.Get(buttonIndex);
    if (!b) return 0;
    HWND window = r->window;
    switch (b->action) {
    case kActionClose:
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case kActionMaximise:
        r->repaintNeeded = 1;
        if (r->maximised) {
            r->minimised = 0;
            r->maximised = 0;
            SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
        } else {
            r->maximised = 1;
            r->minimised = 0;
            SendMessageA(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        }
        break;
    case kActionMinimise:
        r->minimised = 1;
        SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        break;
    case kActionMenu:
        if (r->menuCallback) r->menuCallback(window);
        break;
    case kActionHelp:
        if (r->helpCallback) r->helpCallback(window);
        break;
    case kActionUser:
        if (b->callback) b->callback(window);
        break;
    default:
        break;
    }
    return 0;
}

RECT SkinEngine::GetTitleButtonArea(HWND window)
{
    RECT area{};
    if (WindowSkinRecord* r = RecordOfWindow(window))
        area = RECT{r->stripX, r->stripY, r->stripX + r->stripWidth, r->stripY + r->stripHeight};
    return area;
}

void SkinEngine::LayoutChildControls(int windowIndex)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r) return;
    // Children keep their client coordinates (they hang from the top left
    // corner); what is anchored to the right edge is laid out again.
    LayoutTitleButtons(windowIndex);
    if (!r->tabTexts.empty()) LayoutTitleTabs(windowIndex);
}

void SkinEngine::SetControlTextColour(HWND control, COLORREF colour)
{
    HWND target = control;
    // A combo box draws its text in its inner edit.
    if (IsClass(control, "ComboBox")) {
        if (HWND edit = FindWindowExA(control, nullptr, "Edit", nullptr)) target = edit;
    }
    SetProperty(target, kPropTextColour, colour);
    InvalidateRect(target, nullptr, TRUE);
}

// Control skins: the bodies live with each skin.
void SkinEngine::SkinImageButton(HWND button, std::string_view picture, int value, Opt<int> option,
                                 Opt<std::string> tooltip)
{
    SkinImageButtonOf(button, picture, value, option, tooltip);
}

void SkinEngine::SkinIconButton(HWND button, std::string_view picture, Opt<std::string_view> hover,
                                Opt<std::string_view> pressed, Opt<std::string_view> further,
                                Opt<std::string_view> disabled)
{
    SkinIconButtonOf(button, picture, hover, pressed, further, disabled);
}

void SkinEngine::SkinControl(HWND control, Opt<int> kind, Opt<COLORREF> fillColour, Opt<int> fillAlpha,
                             Opt<int> frameFlag)
{
    SkinContainer(control, kind, fillColour, fillAlpha, frameFlag);
}

void SkinEngine::SetControlByte(HWND control, BYTE value) { SetContainerFillAlpha(control, value); }

void SkinEngine::SubclassControl(HWND control, Opt<COLORREF> keyColour, Opt<COLORREF> fillColour,
                                 Opt<int> fillAlpha)
{
    SubclassWithColourKey(control, keyColour, fillColour, fillAlpha);
}

}  // namespace orv
