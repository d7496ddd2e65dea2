#include "gdiplus/GbkText.h"

#include <windows.h>

namespace orv::gp {

std::wstring WideFromGbk(const char* text)
{
    if (!text || !*text) return std::wstring();
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

std::wstring WideFromGbk(const std::string& text) { return WideFromGbk(text.c_str()); }

std::string GbkFromWide(const wchar_t* text)
{
    if (!text || !*text) return std::string();
    int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return std::string();
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], length, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(length - 1));
    return narrow;
}

}  // namespace orv::gp
