// Registration and window procedure of the button skin, and the skin
// object's image- and icon-button operations.
#include "skin/ButtonSkin.h"

#include "skin/ControlFont.h"
#include "skin/Registry.h"
#include "skin/SkinEngine.h"
#include "skin/SkinSettings.h"

namespace orv {

namespace {

// Push types: bit 1 and bit 2 clear, and not bits 0 and 3 together
// (BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_USERBUTTON). An owner-draw button
// (0xB) fails the first test, so a button is never taken twice.
bool IsPushType(LONG style)
{
    return (style & 0x2) == 0 && (style & 0x4) == 0 && (style & 0x9) != 0x9;
}

// Kind of a check box or radio button, 0 for any other button type.
int CheckKindOf(LONG style)
{
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
        return kButtonCheck;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return kButtonRadio;
    default:
        return 0;
    }
}

bool IsCheckKind(int kind) { return kind == kButtonCheck || kind == kButtonRadio; }

std::string WindowText(HWND window)
{
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], length + 1)));
    return text;
}

void TakeFont(ButtonEntry& entry, HWND button)
{
    CapturedFont font = CaptureControlFont(button, false);
    entry.fontName = font.face.empty() ? "宋体" : font.face;
    entry.fontSize = font.size > 0 ? font.size : 12;
    entry.fontStyle = font.style;
}

void MakeOwnerDraw(HWND button)
{
    const LONG style = GetWindowLongA(button, GWL_STYLE);
    SetWindowLongA(button, GWL_STYLE, style | BS_OWNERDRAW);
}

// Registers button in the record's table with kind; returns the entry index.
int RegisterButton(int windowIndex, HWND button, int kind)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    const int index = InstallControl(windowIndex, r->buttons, button, ButtonWindowProc);
    ButtonEntry* e = r->buttons.Get(index);
    e->kind = kind;
    e->caption = WindowText(button);
    e->focusCueHidden = (SendMessageA(button, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) ? 1 : 0;
    TakeFont(*e, button);
    return index;
}

UINT RestingState(const ButtonEntry& entry) { return entry.focused ? kStateFocused : 0; }

// ---- message handlers --------------------------------------------------------

LRESULT OnMouseMove(HWND button, int windowIndex, int entryIndex, WPARAM wParam, LPARAM lParam)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    const int previousHot = r->hotKind == kHotButton ? r->hotEntry : 0;
    if (TrackControlHover(*r, button, kHotButton, entryIndex)) {
        // The button that was hot until now loses its hover look at once, so
        // that only one button shows it even before its WM_MOUSELEAVE.
        if (previousHot && previousHot != entryIndex) {
            const ButtonEntry* other = r->buttons.Get(previousHot);
            if (other && other->hwnd && IsWindow(other->hwnd))
                PaintButtonByState(other->hwnd, RestingState(*other), false);
        }
        PaintButtonByState(button, 0, true);
    }
    return CallPreviousProc(button, WM_MOUSEMOVE, wParam, lParam);
}

LRESULT OnMouseLeave(HWND button, int windowIndex, int entryIndex, WPARAM wParam, LPARAM lParam)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    // A leave that arrives after another button became hot must not take
    // the hover away from that one.
    if (r->hotKind == kHotButton && r->hotEntry == entryIndex) LeaveControlHover(*r);
    PaintButtonByState(button, RestingState(*r->buttons.Get(entryIndex)), false);
    return CallPreviousProc(button, WM_MOUSELEAVE, wParam, lParam);
}

LRESULT OnEraseBackground(HWND button, HDC dc, LPARAM lParam)
{
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, static_cast<COLORREF>(GetProperty(button, kPropTextColour)));
    return CallPreviousProc(button, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), lParam);
}

LRESULT OnFocus(HWND button, ButtonEntry& entry, UINT message, WPARAM wParam, LPARAM lParam)
{
    entry.focused = message == WM_SETFOCUS ? 1 : 0;
    const int kind = entry.kind;
    LRESULT result = CallPreviousProc(button, message, wParam, lParam);
    if (IsCheckKind(kind)) PaintButtonByState(button, message == WM_SETFOCUS ? kStateFocused : 0, false);
    return result;
}

// The keyboard cues changed (the user pressed a navigation key): a focused
// button shows or hides its focus look at once. The button keeps the state
// itself, as system controls do: Wine's WM_QUERYUISTATE always answers 0.
LRESULT OnUpdateUiState(HWND button, ButtonEntry& entry, WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) & UISF_HIDEFOCUS) {
        if (LOWORD(wParam) == UIS_SET) entry.focusCueHidden = 1;
        if (LOWORD(wParam) == UIS_CLEAR) entry.focusCueHidden = 0;
    }
    const bool focused = entry.focused != 0;
    LRESULT result = CallPreviousProc(button, WM_UPDATEUISTATE, wParam, lParam);
    if (focused) InvalidateRect(button, nullptr, FALSE);
    return result;
}

LRESULT OnSetText(HWND button, ButtonEntry& entry, WPARAM wParam, LPARAM lParam)
{
    const char* text = reinterpret_cast<const char*>(lParam);
    entry.caption = text ? text : "";
    const int kind = entry.kind;
    LRESULT result = CallPreviousProc(button, WM_SETTEXT, wParam, lParam);
    if (IsCheckKind(kind)) PaintButtonByState(button, RestingState(entry), false);
    return result;
}

// Check boxes and radio buttons are not owner-draw: the system keeps their
// check state and paints them itself, and the skin paints over that.
LRESULT OnCheckPaint(HWND button, const ButtonEntry& entry)
{
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(button, &ps);
    RECT client{};
    GetClientRect(button, &client);
    UINT state = RestingState(entry);
    if (!IsWindowEnabled(button)) state |= kStateDisabled;
    if (SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED) state |= kStatePressed;
    PaintButton(button, dc, state, client);
    EndPaint(button, &ps);
    return 0;
}

LRESULT PassOnThenRepaint(HWND button, const ButtonEntry& entry, UINT message, WPARAM wParam, LPARAM lParam)
{
    const UINT resting = RestingState(entry);
    LRESULT result = CallPreviousProc(button, message, wParam, lParam);
    UINT state = resting;
    if (SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED) state |= kStatePressed;
    PaintButtonByState(button, state, false);
    return result;
}

// Messages after which the system repaints a check box or radio button
// directly (not through WM_PAINT).
bool SystemRepaintsCheck(UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case BM_SETCHECK:
    case BM_SETSTATE:
    case WM_ENABLE:
    case WM_KEYUP:
        return true;
    case WM_KEYDOWN:
        return wParam == VK_SPACE;
    default:
        return false;
    }
}

}  // namespace

ButtonEntry* FindButtonEntry(HWND button, int* windowIndex)
{
    const int owner = static_cast<int>(GetProperty(button, kPropOwner));
    const int index = static_cast<int>(GetProperty(button, kPropIndex));
    WindowSkinRecord* r = RecordAt(owner);
    ButtonEntry* e = r ? r->buttons.Get(index) : nullptr;
    if (!e || e->hwnd != button) return nullptr;
    if (windowIndex) *windowIndex = owner;
    return e;
}

void InstallPushButtons(int windowIndex, HWND parent)
{
    if (!Skin().controlSkinning || !RecordAt(windowIndex)) return;
    ForEachChildOfClass(parent, "BUTTON", [&](HWND child) {
        if (!IsPushType(GetWindowLongA(child, GWL_STYLE))) return;
        if (RecordAt(windowIndex)->buttons.Find(child)) return;
        RegisterButton(windowIndex, child, kButtonPlain);
        MakeOwnerDraw(child);
        InvalidateRect(child, nullptr, TRUE);
    });
}

void InstallCheckButtons(int windowIndex, HWND parent)
{
    if (!Skin().controlSkinning || !RecordAt(windowIndex)) return;
    ForEachChildOfClass(parent, "BUTTON", [&](HWND child) {
        const int kind = CheckKindOf(GetWindowLongA(child, GWL_STYLE));
        if (!kind || RecordAt(windowIndex)->buttons.Find(child)) return;
        const int index = RegisterButton(windowIndex, child, kind);
        RecordAt(windowIndex)->buttons.Get(index)->checkState =
            static_cast<int>(SendMessageA(child, BM_GETCHECK, 0, 0));
        InvalidateRect(child, nullptr, TRUE);
    });
}

LRESULT CALLBACK ButtonWindowProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    int windowIndex = 0;
    ButtonEntry* entry = FindButtonEntry(button, &windowIndex);
    if (!entry) return CallPreviousProc(button, message, wParam, lParam);
    const int entryIndex = static_cast<int>(GetProperty(button, kPropIndex));
    switch (message) {
    case WM_MOUSEMOVE: return OnMouseMove(button, windowIndex, entryIndex, wParam, lParam);
    case WM_MOUSELEAVE: return OnMouseLeave(button, windowIndex, entryIndex, wParam, lParam);
    case WM_MOVE:
        InvalidateRect(button, nullptr, TRUE);
        return CallPreviousProc(button, message, wParam, lParam);
    case WM_ERASEBKGND: return OnEraseBackground(button, reinterpret_cast<HDC>(wParam), lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return OnFocus(button, *entry, message, wParam, lParam);
    case WM_SETTEXT: return OnSetText(button, *entry, wParam, lParam);
    case WM_UPDATEUISTATE: return OnUpdateUiState(button, *entry, wParam, lParam);
    case BM_SETSTYLE:
        // Dialogs move the default-button style between their buttons with
        // BM_SETSTYLE whenever the focus moves, which would turn a skinned
        // push button back into a system-drawn one.
        if (!IsCheckKind(entry->kind)) wParam = (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW;
        return CallPreviousProc(button, message, wParam, lParam);
    case WM_PAINT:
        if (IsCheckKind(entry->kind)) return OnCheckPaint(button, *entry);
        return CallPreviousProc(button, message, wParam, lParam);  // the system sends WM_DRAWITEM
    default:
        if (IsCheckKind(entry->kind) && SystemRepaintsCheck(message, wParam))
            return PassOnThenRepaint(button, *entry, message, wParam, lParam);
        return CallPreviousProc(button, message, wParam, lParam);
    }
}

bool PaintButton(HWND button, HDC target, UINT state, const RECT& rect)
{
    ButtonEntry* e = FindButtonEntry(button);
    if (!e || !target) return false;
    // The painters read the entry while they paint; a copy keeps it valid
    // whatever a message sent during the paint does to the table.
    const ButtonEntry entry = *e;
    if (entry.focusCueHidden) state |= kStateNoFocusCue;
    switch (entry.kind) {
    case kButtonImage: PaintImageButton(button, entry, target, state, rect); break;
    case kButtonIcon: PaintIconButton(button, entry, target, state, rect); break;
    case kButtonCheck:
    case kButtonRadio: PaintCheckButton(button, entry, target, state, rect); break;
    default: PaintPlainButton(button, entry, target, state, rect); break;
    }
    return true;
}

void PaintButtonByState(HWND button, UINT state, bool hot)
{
    if (!FindButtonEntry(button) || !IsWindowVisible(button)) return;
    if (hot) state |= kStateHot;
    if (!IsWindowEnabled(button)) state |= kStateDisabled;
    RECT client{};
    GetClientRect(button, &client);
    HDC dc = GetDC(button);
    if (!dc) return;
    PaintButton(button, dc, state, client);
    ReleaseDC(button, dc);
}

bool PaintOwnerDrawButton(int windowIndex, const DRAWITEMSTRUCT& item)
{
    if (item.CtlType != ODT_BUTTON || !item.hwndItem) return false;
    int owner = 0;
    if (!FindButtonEntry(item.hwndItem, &owner)) return false;
    // The owner's record decides hover; windowIndex is the caller's record
    // and is the same for every button the caller skinned.
    (void)windowIndex;
    const int entryIndex = static_cast<int>(GetProperty(item.hwndItem, kPropIndex));
    UINT state = item.itemState & (kStatePressed | kStateDisabled | kStateFocused | kStateNoFocusCue);
    WindowSkinRecord* r = RecordAt(owner);
    if (r && r->hotKind == kHotButton && r->hotEntry == entryIndex) state |= kStateHot;
    return PaintButton(item.hwndItem, item.hDC, state, item.rcItem);
}

void SkinImageButtonOf(HWND button, std::string_view picture, int, Opt<int> option, Opt<std::string> tooltip)
{
    const int windowIndex = OwningWindow(button);
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r || !IsWindow(button)) return;
    int index = r->buttons.Find(button);
    if (!index) index = RegisterButton(windowIndex, button, kButtonImage);
    ButtonEntry* e = r->buttons.Get(index);
    e->kind = kButtonImage;
    e->picture.assign(picture.data(), picture.size());
    e->option = option.Or(0);
    e->caption = WindowText(button);
    if (tooltip.given && !tooltip.value.empty()) {
        RECT client{};
        GetClientRect(button, &client);
        e->tooltip.Create(button, 0);
        e->tooltip.AddTool(client, tooltip.value.c_str(), 1);
    }
    MakeOwnerDraw(button);
    SetProperty(button, kPropOwner, static_cast<uintptr_t>(windowIndex));
    SetProperty(button, kPropIndex, static_cast<uintptr_t>(index));
    InvalidateRect(button, nullptr, TRUE);
}

void SkinIconButtonOf(HWND button, std::string_view picture, Opt<std::string_view> hover,
                      Opt<std::string_view> pressed, Opt<std::string_view> further, Opt<std::string_view> disabled)
{
    const int windowIndex = OwningWindow(button);
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r || !IsWindow(button)) return;
    int index = r->buttons.Find(button);
    if (!index) index = RegisterButton(windowIndex, button, kButtonIcon);
    ButtonEntry* e = r->buttons.Get(index);
    auto bytes = [](const Opt<std::string_view>& v) {
        return v.given ? std::string(v.value.data(), v.value.size()) : std::string();
    };
    e->kind = kButtonIcon;
    e->picture.assign(picture.data(), picture.size());
    e->hoverPicture = bytes(hover);
    e->pressedPicture = bytes(pressed);
    e->furtherPicture = bytes(further);
    e->disabledPicture = bytes(disabled);
    e->caption = WindowText(button);
    MakeOwnerDraw(button);
    SetProperty(button, kPropOwner, static_cast<uintptr_t>(windowIndex));
    SetProperty(button, kPropIndex, static_cast<uintptr_t>(index));
    InvalidateRect(button, nullptr, TRUE);
}

void RegisterButtonSkin()
{
    SetControlInstaller(kInstallPushButtons, InstallPushButtons);
    SetControlInstaller(kInstallCheckButtons, InstallCheckButtons);
    SetOwnerDrawPainter(PaintOwnerDrawButton);
}

}  // namespace orv
