// The skin registry: the window list of WindowSkinRecords, the window
// properties that lead from a handle back into it, the control installers and
// the hover tracking shared by all control kinds.
#pragma once

#include <windows.h>

#include <memory>

#include "skin/WindowSkinRecord.h"

namespace orv {

// Window property names. Properties are never removed: when their object
// goes they are set to 0.
inline constexpr const char kPropProc[] = "Hw_hProc";          // previous window procedure
inline constexpr const char kPropIndex[] = "Hw_lbID";          // record index (window) / entry index (control)
inline constexpr const char kPropOwner[] = "Hw_FuID";          // record index of the owning window (control)
inline constexpr const char kPropTextColour[] = "Kj_Ztys";     // text colour of a control
inline constexpr const char kPropBrush[] = "Kj_dxjb";          // pattern brush of the image under a control
inline constexpr const char kPropBrushBitmap[] = "Kj_wtjb";    // bitmap of that brush
inline constexpr const char kPropKeyIndex[] = "Kj_lbID";       // colour-key entry index
inline constexpr const char kPropKeyOwner[] = "Kj_FuID";       // colour-key owning window index
inline constexpr const char kPropKeyProc[] = "Kj_hProc";       // colour-key previous procedure
inline constexpr const char kPropCacheDc[] = "Ck_Ycjdx";       // frame cache memory DC
inline constexpr const char kPropCacheBitmap[] = "Ck_wtjbdx";  // frame cache bitmap

// 32-bit property values; a property that was never set reads 0.
uintptr_t GetProperty(HWND hwnd, const char* name);
void SetProperty(HWND hwnd, const char* name, uintptr_t value);
// Drops the in-process copies of a window's properties (done for every
// skinned window at WM_NCDESTROY).
void ForgetProperties(HWND hwnd);

// Window list. Indexes are 1-based and never reused; a released record
// keeps its place.
int WindowCount();
int AppendWindowRecord(std::unique_ptr<WindowSkinRecord> record);
// nullptr when index is 0, beyond the list, or the record was released.
WindowSkinRecord* RecordAt(int index);
// Index of the live record of window, 0 if none.
int FindWindowRecord(HWND window);
// Index of the first ancestor (from the control's parent up) with a record.
int OwningWindow(HWND control);
// The record of a window from its Hw_lbID, nullptr when it has none.
WindowSkinRecord* RecordOfWindow(HWND window, int* index = nullptr);

// Hover kinds (the hot control kind of a record).
enum HotKind { kHotButton = 0, kHotEdit = 1, kHotTrack = 2, kHotCombo = 3, kHotList = 4 };

// WM_MOUSEMOVE of a skinned control: TrackMouseEvent(TME_LEAVE), the entry
// becomes the record's candidate; true when the control must repaint in its
// hover state (it was not already the hot one). It is hot afterwards.
bool TrackControlHover(WindowSkinRecord& record, HWND control, int kind, int entry);
// WM_MOUSELEAVE of a skinned control: no control is hot any more.
void LeaveControlHover(WindowSkinRecord& record);

// Control installers. An installer visits the direct children of parent and
// skins those of its kind; it is called as (window index, parent). The slots
// are run in this order by SkinWindow, SkinControl and the message-box skin.
using ControlInstaller = void (*)(int windowIndex, HWND parent);
enum InstallerSlot {
    kInstallPushButtons,    // "BUTTON", push styles          -> buttons
    kInstallCheckButtons,   // "BUTTON", check/radio styles   -> buttons
    kInstallEdits,          // "Edit", "ComboBox" (+ its edit) -> edits, combo boxes
    kInstallTrackBars,      // "msctls_trackbar32"            -> track bars
    kInstallProgressBars,   // "msctls_progress32"            -> progress bars
    kInstallListFamily,     // "ListBox", "ComboLBox", list/tree views, IP, date-time -> list family
    kInstallUpDown,         // "msctls_updown32"              -> up-down controls
    kInstallHeaders,        // "SysHeader32" (+ inside list views) -> headers
    kInstallerSlotCount
};
// An empty slot is skipped. The control-skin modules fill their slots once,
// before the first window is skinned.
void SetControlInstaller(InstallerSlot slot, ControlInstaller installer);
ControlInstaller GetControlInstaller(InstallerSlot slot);
// Runs every filled slot in order on parent's direct children; nothing at all
// while ControlSkinning is 0.
void RunControlInstallers(int windowIndex, HWND parent);

// True when a skin procedure already sits in front of control (Hw_hProc is
// set): an installer's, a container's or a window's, even after the owning
// window's record went (the procedure stays). Subclassing such a control
// again would store the skin's own procedure as the previous one, and the
// control would call itself until the stack ran out.
inline bool HasSkinProcedure(HWND control) { return GetProperty(control, kPropProc) != 0; }

// The installer pattern for one control: takes an entry of table by the
// reuse rule, stores the handle, sets Hw_lbID and Hw_FuID, subclasses with
// proc and keeps the previous procedure in the entry and in Hw_hProc.
// Returns the entry index.
template <typename Entry>
int InstallControl(int windowIndex, ControlTable<Entry>& table, HWND control, WNDPROC proc)
{
    int index = table.Take();
    table.Get(index)->hwnd = control;
    SetProperty(control, kPropIndex, static_cast<uintptr_t>(index));
    SetProperty(control, kPropOwner, static_cast<uintptr_t>(windowIndex));
    auto previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
    table.Get(index)->previousProc = previous;
    SetProperty(control, kPropProc, reinterpret_cast<uintptr_t>(previous));
    return index;
}

// Calls visit(child) for every direct child of parent with class className,
// found by repeated FindWindowExA(parent, previous, className, 0).
template <typename Visit>
void ForEachChildOfClass(HWND parent, const char* className, Visit visit)
{
    HWND child = nullptr;
    while ((child = FindWindowExA(parent, child, className, nullptr)) != nullptr) visit(child);
}

// True when the window's class name equals className (case-insensitive, as
// the system compares class names).
bool IsClass(HWND hwnd, const char* className);

// A control that belongs to the record's window still reads its entry and
// owner; passes the message to the control's previous procedure.
LRESULT CallPreviousProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// A memory DC with a 32-bit surface of the given size selected (both 0 when
// either could not be made), and its release (previous object put back).
KeptDc MakeKeptDc(int width, int height);
void DeleteKeptDc(KeptDc& kept);

// The rows at the top of a window that its caption, title buttons and title
// tabs are painted over, and that titleClean keeps.
int TitleBandRows(const WindowSkinRecord& r);

// Releases everything the record owns for its window (WM_NCDESTROY): the
// window's Kj_ brush and bitmap, the frame cache and the title band's clean copy,
// Hw_lbID of the window and Hw_FuID / Kj_FuID of its controls set to 0, the
// tables emptied. The record keeps its place in the list.
void DestroyWindowRecord(int index);

// Gives control a new brush and bitmap (Kj_dxjb, Kj_wtjb), deleting the
// ones it had; the record owns them until the window is destroyed. A stock
// brush is stored but never deleted.
void SetControlBrush(WindowSkinRecord& record, HWND control, HGDIOBJ brush, HGDIOBJ bitmap, uint64_t key = 0);

}  // namespace orv
