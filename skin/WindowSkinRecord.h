// The engine state of one skinned top-level window (a window skinned by
// SkinWindow, or a skinned message box). Its 1-based index in the window
// list is the window's identity everywhere in the engine.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "skin/BackgroundPreparation.h"
#include "skin/ControlTable.h"
#include "skin/entries/ButtonEntry.h"
#include "skin/entries/ComboEntry.h"
#include "skin/entries/ContainerEntry.h"
#include "skin/entries/EditEntry.h"
#include "skin/entries/HeaderEntry.h"
#include "skin/entries/LabelEntry.h"
#include "skin/entries/ListEntry.h"
#include "skin/entries/ProgressEntry.h"
#include "skin/entries/SpareEntry.h"
#include "skin/entries/SubclassEntry.h"
#include "skin/entries/TrackBarEntry.h"
#include "skin/entries/UpDownEntry.h"
#include "util/ToolTipWindow.h"

namespace orv {

// Routine of a user title button and of the help and main-menu buttons.
using TitleButtonCallback = void(CALLBACK*)(HWND window);

// Action codes of title buttons.
enum TitleAction { kActionClose = 0, kActionMaximise = 1, kActionMinimise = 2, kActionMenu = 3, kActionHelp = 4,
                   kActionUser = 5 };

struct TitleButton {
    HWND hwnd = nullptr;  // always 0; lets the list share ControlTable's reuse rule
    int width = 0;
    int height = 0;
    std::string image;        // PNG bytes of the glyph
    std::string secondImage;  // maximise button: the glyph shown while maximised
    int reserved = 0;
    int action = 0;
    std::string name;         // also the tooltip text
    TitleButtonCallback callback = nullptr;
    float cellX = 0, cellY = 0, cellWidth = 0, cellHeight = 0;  // for drawing
    RECT hitRect{};                                            // for hit-testing
    bool used = false;        // false only for the initial zero entry
};

// Title-button list: same reuse rule as the control tables.
class TitleButtonList {
public:
    TitleButtonList() : buttons_(1) {}
    int Count() const { return static_cast<int>(buttons_.size()) - (buttons_[0].used ? 0 : 1); }
    // 1-based, in list order, counting only real buttons.
    TitleButton* Get(int index)
    {
        int offset = buttons_[0].used ? 0 : 1;
        int i = index - 1 + offset;
        return index >= 1 && i < static_cast<int>(buttons_.size()) ? &buttons_[i] : nullptr;
    }
    int Take()
    {
        if (buttons_.size() == 1 && !buttons_[0].used) {
            buttons_[0].used = true;
            return 1;
        }
        buttons_.emplace_back();
        buttons_.back().used = true;
        return Count();
    }

private:
    std::vector<TitleButton> buttons_;
};

// A memory DC with a 32-bit bitmap selected, kept between paints.
struct KeptDc {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    int width = 0;
    int height = 0;
};

// A control coloured through WM_CTLCOLOR*: the pattern brush and its bitmap
// (also in the control's Kj_dxjb and Kj_wtjb). Kept here as well because
// the children are already gone when their window's record is destroyed.
struct ColouredControl {
    HWND control = nullptr;
    HGDIOBJ brush = nullptr;
    HGDIOBJ bitmap = nullptr;
    uint64_t key = 0;  // what the brush shows (KeptFace::Key); 0 when it must be made again
};

// A skinned control's finished image from its last paint, with the key of
// everything it was drawn from (KeptFace.h).
struct KeptFaceEntry {
    HWND control = nullptr;
    int layer = 0;
    uint64_t key = 0;
    KeptDc image;
};

struct WindowSkinRecord {
    HWND window = nullptr;
    int titleHeight = 25;
    int showHelp = 0, showMenu = 0, showMinimise = 0, showMaximise = 0, showClose = 1;
    int captionShown = 1;
    int titleGloss = 0;
    WNDPROC previousProc = nullptr;

    // Background.
    gp::Bytes preparedBackground;    // PNG bytes with blended edges, or the picture unchanged
    gp::Bitmap preparedPixels;       // those bytes as pixels, until the frame's first render has drawn them
    int layoutMode = 0;
    std::string backgroundSource;    // the bytes as given
    COLORREF averageColour = 0;
    // Set while a worker prepares the two fields above; FinishBackground
    // collects its results (BackgroundPreparation.h).
    PendingBackground pendingBackground;

    TitleButtonList titleButtons;
    int stripX = 0, stripY = 0, stripWidth = 0, stripHeight = 22;

    int maximised = 0;
    int minimised = 0;
    int minWidth = 200, minHeight = 150, maxWidth = 0, maxHeight = 0;
    int resizable = 1;
    int titleBar = 1;

    COLORREF captionColour = 0x00FFFFFF;
    COLORREF shadowColour = 0x00808080;
    std::string fontName = "宋体";
    int fontSize = 12;
    int fontStyle = 1;  // bold

    int highlighted = 0;  // title button remembered as highlighted

    // Hover tracking shared by the control kinds.
    int hotKind = 0;
    HWND hotParent = nullptr;
    int hotEntry = 0;
    int candidateEntry = 0;

    TitleButtonCallback helpCallback = nullptr;
    TitleButtonCallback menuCallback = nullptr;
    ToolTipWindow tooltip;

    // Title tabs (not used by the program).
    std::vector<std::string> tabTexts;
    std::vector<RECT> tabRects;
    int activeTab = 0;
    int tabStyle1 = 0, tabStyle2 = 0, tabFlag = 0;
    COLORREF tabTextColour = 0x00FFFFFF;
    std::string tabFont = "宋体";
    int tabFontSize = 12;

    // Control tables, in the record's fixed order.
    ControlTable<ButtonEntry> buttons;
    ControlTable<EditEntry> edits;
    ControlTable<ListEntry> lists;
    ControlTable<TrackBarEntry> trackBars;
    ControlTable<ProgressEntry> progressBars;
    ControlTable<ComboEntry> combos;
    ControlTable<UpDownEntry> upDowns;
    ControlTable<HeaderEntry> headers;
    ControlTable<SpareEntry> spare;
    ControlTable<SubclassEntry> subclassed;
    ControlTable<LabelEntry> labels;
    ControlTable<ContainerEntry> containers;

    int repaintNeeded = 1;
    KeptDc frameCache;   // also in Ck_Ycjdx / Ck_wtjbdx
    // The frame cache holds the whole window, not only its client area (a
    // message box is painted through its window DC): positions in the cache
    // count from the window's top-left corner.
    bool cacheCoversWindow = false;
    // Counts the frame caches made and the container washes changed: a kept
    // face drawn over an older one is stale.
    uint32_t frameGeneration = 0;
    std::vector<KeptFaceEntry> keptFaces;
    KeptDc titleClean;   // the finished background of the title band, under the caption, buttons and tabs

    // Title-button animation.
    int pressed = 0;        // 1-based button held down, 0 none
    int fading = 0;         // button losing its hover face, 0 none
    int hoverStep = 0;      // steps of the button gaining hover (0..8)
    int fadeStep = 0;       // steps of the fading button (0..8)
    int lastHoverAlpha = 0; // alpha of the hover face last painted
    bool timerRunning = false;

    std::vector<ColouredControl> coloured;

    int closing = 0;  // 1 while WM_CLOSE is being handled (the window may be destroyed inside)

    // Message boxes: the fade-in has been started for this box. Each box
    // keeps its own, so a box opened while another shows still fades in.
    int fadeStarted = 0;

    bool released = false;  // the window was destroyed; the record keeps its place
};

}  // namespace orv
