// The one place where program text (GBK, code page 936 = CP_ACP) meets the
// UTF-16 that GDI+ wants.
#pragma once

#include <string>

namespace orv::gp {

// GBK (the ANSI code page) to UTF-16; nullptr gives an empty string.
std::wstring WideFromGbk(const char* text);
std::wstring WideFromGbk(const std::string& text);

// UTF-16 back to GBK, for names GDI+ reports (font family names).
std::string GbkFromWide(const wchar_t* text);

}  // namespace orv::gp
