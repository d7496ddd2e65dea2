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
    SetTimer(nullptr, 0, 150, CloseBox);
    auto show = [&] {
        if (skinned) orv::ShowSkinnedMessageBox(nullptr, "请输入关键字再搜索", MB_ICONINFORMATION, nullptr);
        else MessageBoxExA(nullptr, "请输入关键字再搜索", nullptr, MB_ICONINFORMATION, 0);
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
