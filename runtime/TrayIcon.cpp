#include "runtime/TrayIcon.h"

#include "runtime/ShellFunctions.h"

#include <cstring>

namespace orv {

namespace {

NOTIFYICONDATAA MakeData(HWND owner)
{
    NOTIFYICONDATAA nid{};
    // The oldest structure size is understood by every shell version.
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = owner;
    nid.uID = 1;
    return nid;
}

}  // namespace

void TrayIcon::Set(HWND owner, HICON icon, const std::string& tip)
{
    Prepare(owner, icon, tip);
    Add();
}

void TrayIcon::Prepare(HWND owner, HICON icon, const std::string& tip)
{
    Remove();
    owner_ = owner;
    icon_ = icon;
    tip_ = tip;
}

bool TrayIcon::Add()
{
    if (!owner_) return false;
    NOTIFYICONDATAA nid = MakeData(owner_);
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kTrayCallbackMessage;
    nid.hIcon = icon_;
    std::strncpy(nid.szTip, tip_.c_str(), sizeof(nid.szTip) - 1);
    added_ = shell::NotifyIcon(NIM_ADD, &nid) != FALSE;
    return added_;
}

void TrayIcon::Restore()
{
    // After a shell restart the old icon is gone without a NIM_DELETE.
    added_ = false;
    Add();
}

void TrayIcon::Remove()
{
    if (!added_) return;
    NOTIFYICONDATAA nid = MakeData(owner_);
    shell::NotifyIcon(NIM_DELETE, &nid);
    added_ = false;
}

int TrayIcon::NotificationKind(LPARAM mouseMessage)
{
    switch (static_cast<UINT>(mouseMessage)) {
    case WM_LBUTTONUP: return 1;
    case WM_RBUTTONUP: return 2;
    case WM_LBUTTONDBLCLK: return 3;
    case WM_RBUTTONDBLCLK: return 4;
    default: return 0;
    }
}

}  // namespace orv
