// The skin object: the one instance of the skin engine that the program holds
// from start-up to program end. Its operations are virtual and declared in
// the engine's fixed table order (release, copy, then the operations), which
// subclasses and the thunks rely on.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "skin/MethodThunk.h"
#include "skin/Opt.h"
#include "skin/SkinSettings.h"
#include "skin/WindowSkinRecord.h"

namespace orv {

namespace gp {
class Graphics;
}

class SkinEngine {
public:
    // Builds the two method thunks and keeps the default back colour, once,
    // as the program starts.
    explicit SkinEngine(COLORREF defaultBackColour);
    virtual ~SkinEngine() = default;
    SkinEngine(const SkinEngine&) = delete;
    SkinEngine& operator=(const SkinEngine&) = delete;

    // Destroys the application icon, ends the GDI+ session and frees the
    // thunks; safe to call more than once.
    virtual void Release();
    // A new skin object with the same fields and thunks of its own, bound to
    // the copy (the caller owns it and releases it).
    virtual SkinEngine* Copy();

    // Window procedure of skinned top-level windows (called through the frame
    // thunk, so Windows sees a plain WNDPROC).
    virtual LRESULT FrameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Action of title button buttonIndex of the record windowIndex; 0.
    virtual int RunTitleButtonAction(int windowIndex, int buttonIndex);
    // Skins a top-level window and its direct children; nothing for a window
    // already skinned. Defaults: title height 25, title bar 1, resizable 1,
    // help 0, menu 0, caption 1, gloss 0, tabs 0, no background, layout =
    // the skin-wide default.
    virtual void SkinWindow(HWND window, Opt<int> titleHeight = {}, Opt<int> titleBar = {}, Opt<int> resizable = {},
                            Opt<int> helpButton = {}, Opt<int> menuButton = {}, Opt<int> caption = {},
                            Opt<int> titleGloss = {}, Opt<int> titleTabCount = {},
                            Opt<const std::vector<std::string>*> titleTabTexts = {},
                            Opt<std::string_view> background = {}, Opt<int> layoutMode = {});
    // Appends a user button (26 x 18, action 5) with its own tip and routine.
    virtual void AddTitleButton(HWND window, std::string_view image, Opt<std::string> tip = {},
                                Opt<TitleButtonCallback> callback = {});
    virtual void SetCaptionStyle(HWND window, Opt<std::string> fontName = {}, Opt<int> fontSize = {},
                                 Opt<COLORREF> colour = {}, Opt<COLORREF> shadowColour = {}, Opt<int> style = {});
    virtual void SetBackgroundImage(HWND window, std::string_view image, Opt<int> layoutMode = {});
    // Replaces the background of every visible skinned window with the
    // picture in path.
    virtual void SetBackgroundFromFile(const std::string& path, Opt<int> layoutMode = {});
    // enable -> ControlSkinning; an alpha given -> BackgroundAlpha and
    // translucent backgrounds on; not given -> 160 and opaque.
    virtual void SetControlSkinOptions(int enable, int alpha, bool alphaGiven, int trackStyle = 1,
                                       bool trackStyleGiven = false);

    // Internal frame painting, layout and hit-testing.
    virtual void RenderFrame(int windowIndex, HDC target, int flag);
    virtual void BlitFrameCache(int windowIndex, HDC target);
    virtual void PaintFrameBackground(int windowIndex, gp::Graphics& graphics);
    virtual void PaintFrameBorder(int windowIndex, gp::Graphics& graphics);
    virtual void PaintTitleButtonGlyph(int windowIndex, gp::Graphics& graphics, int buttonIndex);
    virtual void BlitTitleButton(int windowIndex);
    virtual void BlitTitleTabs(int windowIndex);
    // hovered/pressed: 1-based buttons, 0 none; hoverAlpha for the hovered
    // face. The fading button of the record is painted at its own alpha.
    virtual void PaintTitleButtons(int windowIndex, int hovered, int pressed, int hoverAlpha);
    virtual void PaintTitleButtonFace(gp::Graphics& graphics, const TitleButton& button, int alpha);
    virtual void LayoutTitleButtons(int windowIndex);
    virtual int HitTestTitleButton(int windowIndex, int x, int y);
    virtual int FindMaximizeButton(int windowIndex);
    virtual void BeginBorderResize(int windowIndex, int x, int y);
    virtual void UpdateResizeCursor(int windowIndex, int x, int y);
    virtual void SetHelpCallback(HWND window, TitleButtonCallback routine);
    virtual void SetMenuCallback(HWND window, TitleButtonCallback routine);
    // Into the frame cache; flag 1 = called alone (restores the caption area
    // first and shows it). text nullptr = the window text.
    virtual void PaintCaption(int windowIndex, int flag, const char* text);
    virtual void SetTitleTabs(int windowIndex, const std::vector<std::string>& texts);
    virtual void LayoutTitleTabs(int windowIndex);
    virtual void PaintTitleTabs(int windowIndex, gp::Graphics& graphics);
    virtual void RefreshTitleTab(int windowIndex, int tabIndex);
    virtual void SetTitleTabStyle(HWND window, Opt<int> style1 = {}, Opt<int> style2 = {}, Opt<int> flag = {},
                                  Opt<COLORREF> textColour = {}, Opt<std::string> fontName = {},
                                  Opt<int> fontSize = {});

    // Control skins.
    virtual void SkinImageButton(HWND button, std::string_view picture, int value, Opt<int> option = {},
                                 Opt<std::string> tooltip = {});
    virtual void SkinIconButton(HWND button, std::string_view picture, Opt<std::string_view> hover = {},
                                Opt<std::string_view> pressed = {}, Opt<std::string_view> further = {},
                                Opt<std::string_view> disabled = {});
    virtual void SkinControl(HWND control, Opt<int> kind = {}, Opt<COLORREF> fillColour = {},
                             Opt<int> fillAlpha = {}, Opt<int> frameFlag = {});
    virtual void SetControlByte(HWND control, BYTE value);
    virtual RECT GetTitleButtonArea(HWND window);
    virtual void SubclassControl(HWND control, Opt<COLORREF> keyColour = {}, Opt<COLORREF> fillColour = {},
                                 Opt<int> fillAlpha = {});
    virtual void LayoutChildControls(int windowIndex);
    // Kj_Ztys of the control; for a "ComboBox" of its first "Edit" child.
    virtual void SetControlTextColour(HWND control, COLORREF colour);
    virtual COLORREF GetDefaultBackColour();
    // Rebuilds the minimise and maximise buttons from the current style.
    virtual void SyncTitleButtonsWithStyle(HWND window);

    // The frame thunk: the WNDPROC installed on skinned windows.
    WNDPROC FrameProcAddress() const { return frameThunk_.As<WNDPROC>(); }
    int BorderBand() const { return borderBand_; }
    int HoveredTitleButton() const { return hoveredTitleButton_; }

private:
    void BuildThunks();
    void AddStandardTitleButtons(WindowSkinRecord& record, DWORD style);
    void SetBackground(WindowSkinRecord& record, std::string_view image, int layoutMode);
    void StartHoverAnimation(int windowIndex, int newHovered);

    // Message handlers of FrameWindowProc.
    LRESULT PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcDestroy(int index, HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnShowWindow(int index, HWND window, BOOL shown, LPARAM lParam);
    LRESULT OnEraseBackground(HDC dc);
    LRESULT OnPaint(int index, HWND window);
    LRESULT OnGetMinMaxInfo(int index, MINMAXINFO* info);
    LRESULT OnWindowPosChanged(int index, HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnSize(int index, HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnSysCommand(int index, HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnSetText(int index, HWND window, const char* text, LPARAM lParam);
    LRESULT OnDrawItem(int index, HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnCtlColorTranslucent(int index, HWND window, UINT message, HDC dc, HWND control);
    LRESULT OnCtlColorNullBrush(int index, HWND window, UINT message, HDC dc, HWND control);
    LRESULT OnClose(int index, HWND window);
    LRESULT OnActivateApp(int index, HWND window, BOOL active, LPARAM lParam);
    LRESULT OnCommand(HWND window, WPARAM wParam, HWND control);
    LRESULT OnNotify(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(int index, HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnHoverTimer(int index, HWND window);
    LRESULT OnLeftButtonDown(int index, HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnLeftButtonUp(int index, HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnLeftButtonDoubleClick(int index, HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseHoverOrLeave(int index, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    MethodThunk frameThunk_;   // FrameWindowProc, 4 arguments
    int borderBand_ = 3;
    int hoveredTitleButton_ = 0;
    MethodThunk actionThunk_;  // RunTitleButtonAction, 2 arguments
    void* actionThunkAddress_ = nullptr;
};

// Painter of owner-draw buttons on WM_DRAWITEM (installed by the button
// skin). It answers true when it painted the item; with no painter, or a
// false answer, the message goes to the window's previous procedure.
using OwnerDrawPainter = bool (*)(int windowIndex, const DRAWITEMSTRUCT& item);
void SetOwnerDrawPainter(OwnerDrawPainter painter);
OwnerDrawPainter GetOwnerDrawPainter();

// What the frame starts when the application loses activation; the memory
// trim unless a test puts a recorder in its place (nullptr restores it).
using TrimStarter = bool (*)();
void SetTrimStarter(TrimStarter starter);

}  // namespace orv
