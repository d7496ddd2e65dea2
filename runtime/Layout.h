// A window described as data: the window unit first, then its controls. The
// runtime builds real windows from such a table; the application keeps its own
// table and refers to controls by index.
// Portable: the image builder reads the same table on the host.
#pragma once

#include <cstdint>

namespace orv {

enum class UnitKind { Window, ListBox, TransparentLabel, Button, Edit, GroupBox, TabControl };

// Events the runtime can deliver to a bound handler.
enum class EventKind {
    Created,       // window: all controls exist, before the window is shown
    QueryClose,    // window: about to close
    Resized,       // window: size or state changed
    TrayNotify,    // window: tray icon notification; arg0 = kind
    Click,         // button
    ItemSelected,  // list box selection changed
    DoubleClick,   // list box; arg0 x, arg1 y, arg2 modifiers
    MouseMove,     // arg0 x, arg1 y, arg2 modifiers
    LeftButtonDown,
    FocusGained,
    KeyDown,       // arg0 key code, arg1 modifier state
};

struct FontSpec {
    const char* face;
    int height;      // LOGFONT height (negative: character height in pixels)
    int weight;
    bool underline;
    int charset;
};

enum UnitFlags : uint32_t {
    kUnitVisible   = 1u << 0,
    kUnitHandCursor = 1u << 1,
    kUnitBorder    = 1u << 2,
    kUnitMultiLine = 1u << 3,
    kUnitVScroll   = 1u << 4,
    kUnitReadOnly  = 1u << 5,
};

// Colours are COLORREF values, 0x00BBGGRR.
using Colour = uint32_t;
constexpr Colour kDefaultColour = 0xFFFFFFFFu;  // CLR_INVALID: the kind's default

constexpr Colour Rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}

constexpr int kGb2312Charset = 134;

struct UnitSpec {
    const char* name;       // the control's own name, GBK
    UnitKind kind;
    int parent;             // index of the parent unit; -1 for the window
    int left, top, width, height;
    const char* text;       // caption or content, GBK; may be empty
    Colour textColour;      // kDefaultColour for the kind's default
    Colour backColour;
    const FontSpec* font;   // nullptr: the kind's default font
    uint32_t flags;
};

struct LayoutTable {
    const UnitSpec* units;  // units[0] is the window
    int count;
};

// Control identifiers given to child windows (GWL_ID): base + unit index, so
// another process can find a control with GetDlgItem-style lookups.
constexpr int kControlIdBase = 1000;

}  // namespace orv
