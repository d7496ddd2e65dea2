#include "tests/skin/gallery/GalleryWindow.h"

#include <commctrl.h>

#include <vector>

#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"
#include "resources/Resources.h"
#include "skin/SkinEngine.h"

namespace orv::gallery {

namespace {

const char kGalleryClass[] = "OrvSkinGallery";

// Owner-draw list items are drawn by the window's own procedure, as an
// application would.
void DrawListItem(const DRAWITEMSTRUCT& item)
{
    if (item.itemID == static_cast<UINT>(-1)) return;
    char text[128] = {};
    SendMessageA(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, (item.itemState & ODS_SELECTED) ? RGB(0, 90, 160) : RGB(20, 20, 20));
    RECT r = item.rcItem;
    r.left += 4;
    DrawTextA(item.hDC, text, -1, &r, DT_SINGLELINE | DT_VCENTER);
}

LRESULT CALLBACK GalleryProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType == ODT_LISTBOX) {
            DrawListItem(*item);
            return TRUE;
        }
        break;
    }
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType == ODT_LISTBOX) {
            measure->itemHeight = 16;
            return TRUE;
        }
        break;
    }
    default: break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void RegisterGalleryClass()
{
    static bool registered = false;
    if (registered) return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = GalleryProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kGalleryClass;
    RegisterClassA(&wc);
    registered = true;
}

class Builder {
public:
    Builder(Gallery& gallery) : gallery_(gallery) {}

    HWND Add(const char* name, const char* className, const char* text, DWORD style, int x, int y, int w, int h,
             DWORD exStyle = 0, HWND parent = nullptr)
    {
        HWND hwnd = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                    parent ? parent : gallery_.window, reinterpret_cast<HMENU>(nextId_++),
                                    GetModuleHandleA(nullptr), nullptr);
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        gallery_.controls[name] = hwnd;
        return hwnd;
    }

private:
    Gallery& gallery_;
    int nextId_ = 100;
};

void FillCombo(HWND combo, int selection)
{
    for (const char* item : {"C 调", "D 调", "E 调", "F 调", "G 调"})
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    if (selection >= 0) SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

void FillList(HWND list)
{
    for (const char* item : {"歌曲一 G调", "歌曲二 A调", "歌曲三 C调", "歌曲四 D调", "歌曲五 E调", "歌曲六 F调"})
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(list, LB_SETCURSEL, 1, 0);
}

void FillListView(HWND view)
{
    SendMessageA(view, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    const char* columns[] = {"歌曲", "调"};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(columns[i]);
        column.cx = i == 0 ? 120 : 60;
        SendMessageA(view, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    const char* rows[][2] = {{"歌曲一", "G"}, {"歌曲二", "A"}, {"歌曲三", "C"}, {"歌曲四", "D"}};
    for (int r = 0; r < 4; ++r) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = r;
        item.pszText = const_cast<char*>(rows[r][0]);
        SendMessageA(view, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = const_cast<char*>(rows[r][1]);
        SendMessageA(view, LVM_SETITEMTEXTA, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(&item));
    }
}

void FillTree(HWND tree)
{
    TVINSERTSTRUCTA insert{};
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.hParent = TVI_ROOT;
    insert.item.pszText = const_cast<char*>("曲库");
    auto root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    for (const char* child : {"流行", "民谣", "摇滚"}) {
        insert.hParent = root;
        insert.item.pszText = const_cast<char*>(child);
        SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
    }
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
}

// A header with three items; the second shows an icon from its image list.
void FillHeader(HWND header)
{
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    ImageList_AddIcon(images, LoadIconA(nullptr, MAKEINTRESOURCEA(32516)));  // IDI_INFORMATION
    SendMessageA(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));  // the skin destroys it
    const char* texts[] = {"名称", "图标", "大小"};
    for (int i = 0; i < 3; ++i) {
        HDITEMA item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | (i == 1 ? HDI_IMAGE : 0);
        item.pszText = const_cast<char*>(texts[i]);
        item.cxy = 70;
        item.fmt = HDF_LEFT | HDF_STRING | (i == 1 ? HDF_IMAGE : 0);
        item.iImage = 0;
        SendMessageA(header, HDM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
}

void SetupTrackBar(HWND trackBar, int position)
{
    SendMessageA(trackBar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
    SendMessageA(trackBar, TBM_SETTICFREQ, 2, 0);
    SendMessageA(trackBar, TBM_SETPOS, TRUE, position);
}

void SetupProgress(HWND progress, int position)
{
    SendMessageA(progress, PBM_SETRANGE32, 0, 100);
    SendMessageA(progress, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

HBITMAP MakeSwatchBitmap()
{
    ScopedGetDc screen(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen.Get(), 24, 16);
    UniqueMemoryDc dc(CreateCompatibleDC(screen.Get()));
    ScopedSelect select(dc.Get(), bitmap);
    RECT r{0, 0, 24, 16};
    UniqueBrush brush(CreateSolidBrush(RGB(40, 120, 200)));
    FillRect(dc.Get(), &r, brush.Get());
    return bitmap;
}

void BuildControls(Gallery& g)
{
    Builder b(g);
    const int top = 34;
    // Buttons.
    b.Add("push", "BUTTON", "按钮", BS_PUSHBUTTON, 12, top, 80, 26);
    b.Add("defpush", "BUTTON", "默认", BS_DEFPUSHBUTTON, 98, top, 80, 26);
    HWND disabledPush = b.Add("push_disabled", "BUTTON", "禁用", BS_PUSHBUTTON, 184, top, 80, 26);
    EnableWindow(disabledPush, FALSE);
    HWND check = b.Add("check", "BUTTON", "复选框", BS_AUTOCHECKBOX, 12, top + 32, 80, 20);
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    b.Add("radio", "BUTTON", "单选框", BS_AUTORADIOBUTTON, 98, top + 32, 80, 20);
    HWND disabledCheck = b.Add("check_disabled", "BUTTON", "禁用", BS_AUTOCHECKBOX, 184, top + 32, 80, 20);
    EnableWindow(disabledCheck, FALSE);
    b.Add("group", "BUTTON", "分组框", BS_GROUPBOX, 12, top + 56, 270, 50);
    b.Add("image_button", "BUTTON", "", BS_PUSHBUTTON, 24, top + 74, 26, 26);
    b.Add("icon_button", "BUTTON", "图标", BS_PUSHBUTTON, 60, top + 74, 70, 26);
    // Labels.
    b.Add("label_text", "Static", "文字标签", SS_LEFT, 140, top + 80, 70, 16);
    HWND bitmapLabel = b.Add("label_bitmap", "Static", "", SS_BITMAP, 214, top + 78, 24, 16);
    SendMessageA(bitmapLabel, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(MakeSwatchBitmap()));
    HWND iconLabel = b.Add("label_icon", "Static", "", SS_ICON, 246, top + 72, 32, 32);
    SendMessageA(iconLabel, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, MAKEINTRESOURCEA(32512))), 0);
    // Edits.
    HWND edit = b.Add("edit", "Edit", "单行编辑框", ES_AUTOHSCROLL | WS_TABSTOP, 12, top + 114, 130, 22,
                      WS_EX_CLIENTEDGE);
    (void)edit;
    HWND disabledEdit = b.Add("edit_disabled", "Edit", "禁用", ES_AUTOHSCROLL, 150, top + 114, 130, 22,
                              WS_EX_CLIENTEDGE);
    EnableWindow(disabledEdit, FALSE);
    b.Add("edit_multi", "Edit", "多行编辑框\r\n第二行\r\n第三行\r\n第四行\r\n第五行\r\n第六行",
          ES_MULTILINE | WS_VSCROLL | ES_AUTOVSCROLL, 12, top + 142, 268, 60, WS_EX_CLIENTEDGE);
    // Combo boxes.
    FillCombo(b.Add("combo_simple", "ComboBox", "", CBS_SIMPLE | WS_VSCROLL, 12, top + 210, 124, 84), 0);
    FillCombo(b.Add("combo_dropdown", "ComboBox", "", CBS_DROPDOWN | WS_VSCROLL, 146, top + 210, 134, 160), 1);
    FillCombo(b.Add("combo_list", "ComboBox", "", CBS_DROPDOWNLIST | WS_VSCROLL, 146, top + 240, 134, 160), 3);
    HWND disabledCombo = b.Add("combo_disabled", "ComboBox", "", CBS_DROPDOWNLIST, 146, top + 270, 134, 160);
    FillCombo(disabledCombo, 2);
    EnableWindow(disabledCombo, FALSE);
    // List boxes.
    FillList(b.Add("list", "ListBox", "", LBS_NOTIFY | WS_VSCROLL | WS_BORDER | LBS_HASSTRINGS, 12, top + 302, 130,
                   84));
    FillList(b.Add("list_owner", "ListBox", "",
                   LBS_NOTIFY | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, 150, top + 302, 130, 84, WS_EX_CLIENTEDGE));

    // Views and pickers.
    FillListView(b.Add("listview", WC_LISTVIEWA, "", LVS_REPORT | LVS_SHOWSELALWAYS, 296, top, 220, 104,
                       WS_EX_CLIENTEDGE));
    FillTree(b.Add("tree", WC_TREEVIEWA, "", TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT, 296, top + 110, 220, 90,
                   WS_EX_CLIENTEDGE));
    b.Add("ip", WC_IPADDRESSA, "", 0, 296, top + 206, 150, 22, WS_EX_CLIENTEDGE);
    b.Add("datetime", DATETIMEPICK_CLASSA, "", DTS_SHORTDATEFORMAT, 296, top + 234, 150, 24, WS_EX_CLIENTEDGE);
    FillHeader(b.Add("header", WC_HEADERA, "", HDS_BUTTONS | HDS_HORZ, 296, top + 264, 220, 24));
    HWND tab = b.Add("tab", WC_TABCONTROLA, "", WS_CLIPSIBLINGS, 296, top + 294, 220, 92);
    const char* tabs[] = {"选项一", "选项二"};
    for (int i = 0; i < 2; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(tabs[i]);
        SendMessageA(tab, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    b.Add("tab_label", "Static", "选项页里的标签", SS_LEFT, 12, 40, 150, 16, 0, tab);

    // Track bars.
    SetupTrackBar(b.Add("track", TRACKBAR_CLASSA, "", TBS_AUTOTICKS, 530, top, 200, 34), 3);
    SetupTrackBar(b.Add("track_noticks", TRACKBAR_CLASSA, "", TBS_NOTICKS, 530, top + 38, 200, 28), 5);
    SetupTrackBar(b.Add("track_both", TRACKBAR_CLASSA, "", TBS_AUTOTICKS | TBS_BOTH, 530, top + 70, 200, 40), 7);
    HWND selection = b.Add("track_selection", TRACKBAR_CLASSA, "", TBS_AUTOTICKS | TBS_ENABLESELRANGE, 530,
                           top + 114, 200, 34);
    SetupTrackBar(selection, 5);
    SendMessageA(selection, TBM_SETSEL, TRUE, MAKELPARAM(2, 7));
    HWND disabledTrack = b.Add("track_disabled", TRACKBAR_CLASSA, "", TBS_AUTOTICKS, 530, top + 152, 200, 34);
    SetupTrackBar(disabledTrack, 8);
    EnableWindow(disabledTrack, FALSE);
    SetupTrackBar(b.Add("track_vertical", TRACKBAR_CLASSA, "", TBS_AUTOTICKS | TBS_VERT, 530, top + 192, 36, 150), 4);
    SetupTrackBar(
        b.Add("track_vertical_both", TRACKBAR_CLASSA, "", TBS_AUTOTICKS | TBS_VERT | TBS_BOTH, 572, top + 192, 44, 150),
        6);
    // Progress bars.
    SetupProgress(b.Add("progress_min", PROGRESS_CLASSA, "", 0, 624, top + 192, 110, 16), 0);
    SetupProgress(b.Add("progress_mid", PROGRESS_CLASSA, "", 0, 624, top + 214, 110, 16), 50);
    SetupProgress(b.Add("progress_max", PROGRESS_CLASSA, "", 0, 624, top + 236, 110, 16), 100);
    SetupProgress(b.Add("progress_vertical", PROGRESS_CLASSA, "", PBS_VERTICAL, 624, top + 258, 18, 84), 60);
    // Up-down controls.
    b.Add("updown", UPDOWN_CLASSA, "", 0, 656, top + 262, 18, 34);
    b.Add("updown_horizontal", UPDOWN_CLASSA, "", UDS_HORZ, 684, top + 270, 40, 18);
}

}  // namespace

void Settle()
{
    for (int round = 0; round < 4; ++round) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

Gallery CreateGallery(SkinEngine& engine)
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_INTERNET_CLASSES |
                                              ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    RegisterGalleryClass();
    Gallery g;
    // Created one pixel short, so that the size set after skinning is a real
    // change and reaches the skin as its first WM_SIZE.
    g.window = CreateWindowExA(0, kGalleryClass, "Orvane 皮肤样例", WS_POPUP | WS_CLIPCHILDREN, 20, 20, 750, 431,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    BuildControls(g);
    std::string_view background = StoredBytes(IDR_BACKGROUND);
    engine.SkinWindow(g.window, {}, {}, Given(0), {}, {}, {}, {}, {}, {}, Given(background), Given(3));
    engine.SkinControl(g.Get("tab"));
    engine.SkinControl(g.Get("group"));
    SetWindowPos(g.window, nullptr, 0, 0, 750, 432, SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(g.window, SW_SHOW);
    UpdateWindow(g.window);
    Settle();
    RedrawWindow(g.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Settle();
    return g;
}

void HoverControl(HWND control)
{
    RECT r{};
    GetWindowRect(control, &r);
    POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    SetCursorPos(centre.x, centre.y);
    POINT client = centre;
    ScreenToClient(control, &client);
    SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
}

std::string CaptureWindowPng(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    ScopedGetDc source(window, true);
    UniqueMemoryDc dc(CreateCompatibleDC(source.Get()));
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(source.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        ScopedSelect select(dc.Get(), bitmap.Get());
        BitBlt(dc.Get(), 0, 0, w, h, source.Get(), 0, 0, SRCCOPY);
    }
    gp::Bitmap image;
    if (!image.CreateFromHBITMAP(bitmap.Get())) return {};
    gp::Bytes png;
    if (!image.SaveToBytes(gp::kPngFormat, &png)) return {};
    return std::string(png.begin(), png.end());
}

}  // namespace orv::gallery
