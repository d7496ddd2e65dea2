#include "skin/Registry.h"

#include "skin/BackgroundCapture.h"
#include "skin/ChildWindows.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <unordered_map>
#include <vector>

#include "skin/SkinSettings.h"

namespace orv {

namespace {

std::vector<std::unique_ptr<WindowSkinRecord>>& WindowList()
{
    static std::vector<std::unique_ptr<WindowSkinRecord>> list;
    return list;
}

ControlInstaller gInstallers[kInstallerSlotCount] = {};

}  // namespace

void DeleteKeptDc(KeptDc& kept)
{
    if (kept.dc) {
        if (kept.previous) SelectObject(kept.dc, kept.previous);
        DeleteDC(kept.dc);
    }
    if (kept.bitmap) DeleteObject(kept.bitmap);
    kept = KeptDc{};
}

KeptDc MakeKeptDc(int width, int height)
{
    KeptDc kept;
    kept.dc = CreateCompatibleDC(nullptr);
    kept.bitmap = CreateArgbSurface(width, height);
    if (!kept.dc || !kept.bitmap) {
        DeleteKeptDc(kept);
        return kept;
    }
    kept.previous = SelectObject(kept.dc, kept.bitmap);
    kept.width = width;
    kept.height = height;
    return kept;
}

namespace {

template <typename Entry>
void ClearOwner(ControlTable<Entry>& table, const char* property)
{
    table.ForEach([property](Entry& e) {
        if (e.hwnd && IsWindow(e.hwnd)) SetProperty(e.hwnd, property, 0);
    });
    table = ControlTable<Entry>();
}

}  // namespace

namespace {

// The skin's window properties, cached in-process. They stay on the windows
// under their own names, but reading them back is the skin's hottest path
// (two or three reads for every message a skinned control receives) and
// under Wine every GetPropA is a round trip to the Wine server, 63 us each
// as measured. Reads go through the cache (a miss reads the window once);
// the skin's writes go to both; a window's entries go at WM_NCDESTROY, or
// when it is found destroyed. Only the interface thread touches it.
struct CachedProperty {
    std::string name;
    uintptr_t value;
};

std::unordered_map<HWND, std::vector<CachedProperty>>& PropertyCache()
{
    static std::unordered_map<HWND, std::vector<CachedProperty>> cache;
    return cache;
}

// Windows destroyed without their last message passing through the skin
// (looked at but never skinned) leave entries behind; they are swept out
// whenever the cache has doubled since the last sweep.
void SweepDeadWindows()
{
    static size_t sweepAt = 1024;
    auto& cache = PropertyCache();
    if (cache.size() < sweepAt) return;
    for (auto it = cache.begin(); it != cache.end();) it = IsWindow(it->first) ? std::next(it) : cache.erase(it);
    sweepAt = std::max<size_t>(1024, 2 * cache.size());
}

CachedProperty* FindCached(std::vector<CachedProperty>& properties, const char* name)
{
    for (CachedProperty& p : properties)
        if (p.name == name) return &p;
    return nullptr;
}

}  // namespace

uintptr_t GetProperty(HWND hwnd, const char* name)
{
    auto& cache = PropertyCache();
    auto it = cache.find(hwnd);
    if (it != cache.end()) {
        // Destroyed without its last message passing through the skin: what
        // the copy holds is no longer true.
        if (!IsWindow(hwnd)) {
            cache.erase(it);
            return 0;
        }
        if (const CachedProperty* p = FindCached(it->second, name)) return p->value;
    }
    const auto value = reinterpret_cast<uintptr_t>(GetPropA(hwnd, name));
    if (!IsWindow(hwnd)) return value;
    if (it == cache.end()) {
        SweepDeadWindows();
        it = cache.emplace(hwnd, std::vector<CachedProperty>()).first;
    }
    it->second.push_back({name, value});
    return value;
}

void SetProperty(HWND hwnd, const char* name, uintptr_t value)
{
    SetPropA(hwnd, name, reinterpret_cast<HANDLE>(value));
    auto& cache = PropertyCache();
    if (!IsWindow(hwnd)) {
        cache.erase(hwnd);
        return;
    }
    auto it = cache.find(hwnd);
    if (it == cache.end()) {
        SweepDeadWindows();
        it = cache.emplace(hwnd, std::vector<CachedProperty>()).first;
    }
    if (CachedProperty* p = FindCached(it->second, name)) p->value = value;
    else it->second.push_back({name, value});
}

void ForgetProperties(HWND hwnd) { PropertyCache().erase(hwnd); }

int WindowCount() { return static_cast<int>(WindowList().size()); }

int AppendWindowRecord(std::unique_ptr<WindowSkinRecord> record)
{
    WindowList().push_back(std::move(record));
    return WindowCount();
}

WindowSkinRecord* RecordAt(int index)
{
    if (index < 1 || index > WindowCount()) return nullptr;
    WindowSkinRecord* r = WindowList()[index - 1].get();
    return r && !r->released ? r : nullptr;
}

int FindWindowRecord(HWND window)
{
    if (!window) return 0;
    for (int i = 1; i <= WindowCount(); ++i) {
        WindowSkinRecord* r = RecordAt(i);
        if (r && r->window == window) return i;
    }
    return 0;
}

int OwningWindow(HWND control)
{
    for (HWND w = GetParent(control); w; w = GetParent(w))
        if (int index = FindWindowRecord(w)) return index;
    return 0;
}

WindowSkinRecord* RecordOfWindow(HWND window, int* index)
{
    int i = static_cast<int>(GetProperty(window, kPropIndex));
    WindowSkinRecord* r = RecordAt(i);
    if (r && r->window != window) r = nullptr;
    if (index) *index = r ? i : 0;
    return r;
}

bool TrackControlHover(WindowSkinRecord& record, HWND control, int kind, int entry)
{
    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, control, 0};
    TrackMouseEvent(&tme);
    record.candidateEntry = entry;
    bool repaint = record.candidateEntry != record.hotEntry || record.hotKind != kind;
    record.hotEntry = record.candidateEntry;
    record.hotKind = kind;
    record.hotParent = GetParent(control);
    return repaint;
}

void LeaveControlHover(WindowSkinRecord& record) { record.hotEntry = 0; }

void SetControlInstaller(InstallerSlot slot, ControlInstaller installer)
{
    if (slot >= 0 && slot < kInstallerSlotCount) gInstallers[slot] = installer;
}

ControlInstaller GetControlInstaller(InstallerSlot slot)
{
    return slot >= 0 && slot < kInstallerSlotCount ? gInstallers[slot] : nullptr;
}

void RunControlInstallers(int windowIndex, HWND parent)
{
    if (!Skin().controlSkinning || !RecordAt(windowIndex)) return;
    for (ControlInstaller installer : gInstallers)
        if (installer) installer(windowIndex, parent);
}

bool IsClass(HWND hwnd, const char* className)
{
    char name[64] = {};
    if (!GetClassNameA(hwnd, name, sizeof(name))) return false;
    return lstrcmpiA(name, className) == 0;
}

LRESULT CallPreviousProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto previous = reinterpret_cast<WNDPROC>(GetProperty(hwnd, kPropProc));
    const LRESULT result = previous ? CallWindowProcA(previous, hwnd, message, wParam, lParam)
                                    : DefWindowProcA(hwnd, message, wParam, lParam);
    // Every skinned window's last message passes here on its way out, and
    // every child made or destroyed under it is told here (unless it asked
    // for no parent notice).
    if (message == WM_NCDESTROY) {
        ForgetProperties(hwnd);
        ForgetChildWindows(hwnd);
    } else if (message == WM_PARENTNOTIFY) {
        ForgetChildWindows(hwnd);
    }
    return result;
}

namespace {

void DeleteBrushObjects(const ColouredControl& c)
{
    if (c.brush && c.brush != GetStockObject(NULL_BRUSH)) DeleteObject(c.brush);
    if (c.bitmap) DeleteObject(c.bitmap);
}

}  // namespace

void SetControlBrush(WindowSkinRecord& record, HWND control, HGDIOBJ brush, HGDIOBJ bitmap, uint64_t key)
{
    ColouredControl* slot = nullptr;
    for (ColouredControl& c : record.coloured)
        if (c.control == control) slot = &c;
    if (!slot) {
        record.coloured.push_back(ColouredControl{control, nullptr, nullptr, 0});
        slot = &record.coloured.back();
    }
    slot->key = key;
    // The same objects again (the stock null brush at every WM_CTLCOLOR*):
    // nothing to free, and nothing to tell the window server.
    if (slot->brush == brush && slot->bitmap == bitmap) return;
    DeleteBrushObjects(*slot);
    slot->brush = brush;
    slot->bitmap = bitmap;
    SetProperty(control, kPropBrush, reinterpret_cast<uintptr_t>(brush));
    SetProperty(control, kPropBrushBitmap, reinterpret_cast<uintptr_t>(bitmap));
}

void DestroyWindowRecord(int index)
{
    WindowSkinRecord* r = RecordAt(index);
    if (!r) return;
    HWND window = r->window;
    for (const ColouredControl& c : r->coloured) {
        DeleteBrushObjects(c);
        if (IsWindow(c.control)) {
            SetProperty(c.control, kPropBrush, 0);
            SetProperty(c.control, kPropBrushBitmap, 0);
        }
    }
    r->coloured.clear();
    for (KeptFaceEntry& f : r->keptFaces) DeleteKeptDc(f.image);
    r->keptFaces.clear();
    DeleteKeptDc(r->frameCache);
    DeleteKeptDc(r->titleClean);
    r->preparedPixels.Dispose();
    SetProperty(window, kPropCacheDc, 0);
    SetProperty(window, kPropCacheBitmap, 0);
    SetProperty(window, kPropIndex, 0);
    ClearOwner(r->buttons, kPropOwner);
    ClearOwner(r->edits, kPropOwner);
    ClearOwner(r->lists, kPropOwner);
    ClearOwner(r->trackBars, kPropOwner);
    ClearOwner(r->progressBars, kPropOwner);
    ClearOwner(r->combos, kPropOwner);
    ClearOwner(r->upDowns, kPropOwner);
    ClearOwner(r->headers, kPropOwner);
    ClearOwner(r->spare, kPropOwner);
    ClearOwner(r->labels, kPropOwner);
    ClearOwner(r->containers, kPropOwner);
    ClearOwner(r->subclassed, kPropKeyOwner);
    // The record's place in the list stays (indexes held by other windows
    // remain valid) but the record itself goes: a program that shows many
    // message boxes would otherwise keep every box's tables and texts.
    WindowList()[index - 1].reset();
}

}  // namespace orv
