// Private bytes of this process across message boxes shown and closed: the
// plain system box against the skinned one, so that growth can be told apart
// between the platform and the skin. Prints figures only.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>

#include "gdiplus/GdiPlusSession.h"
#include "skin/ControlSkins.h"
#include "skin/MessageBoxSkin.h"
#include "skin/SkinSettings.h"

namespace {

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.PagefileUsage;
}

// Closes whatever box is up, from the box's own message loop.
void CALLBACK CloseBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = FindWindowA("#32770", nullptr);
    if (box && IsWindowVisible(box)) PostMessageA(box, WM_COMMAND, IDOK, 0);
}

}  // namespace

int main(int argc, char** argv)
{
    const bool skinned = argc > 1 && std::strcmp(argv[1], "skinned") == 0;
    const int count = argc > 2 ? atoi(argv[2]) : 100;
    orv::Skin().gdiplusToken = orv::StartGdiPlus();
    orv::InstallControlSkinModules();
    // With "owned", the boxes belong to a visible window that they uncover
    // again when they close, as the program's boxes do.
    HWND owner = nullptr;
    if (argc > 3 && std::strcmp(argv[3], "owned") == 0)
        owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 40, 40, 450, 364, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    SetTimer(nullptr, 0, 150, CloseBox);
    auto show = [&] {
        if (skinned) orv::ShowSkinnedMessageBox(owner, "请输入关键字再搜索", MB_ICONINFORMATION, nullptr);
        else MessageBoxExA(owner, "请输入关键字再搜索", nullptr, MB_ICONINFORMATION, 0);
    };
    for (int i = 0; i < 5; ++i) show();  // warm-up
    const SIZE_T before = PrivateBytes();
    for (int i = 0; i < count; ++i) {
        show();
        if ((i + 1) % 50 == 0)
            std::printf("%s boxes: %d shown, private bytes %+ld\n", skinned ? "skinned" : "plain", i + 1,
                        static_cast<long>(PrivateBytes() - before));
    }
    orv::EndGdiPlus(&orv::Skin().gdiplusToken);
    return 0;
}
