// Choosing an image encoder by the text of its format GUID.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace orv::gp {

// Format identifiers as StringFromGUID2 writes them (upper case, braces).
inline constexpr const char* kPngFormat = "{B96B3CAF-0728-11D3-9D7B-0000F81EF32E}";
inline constexpr const char* kBmpFormat = "{B96B3CAB-0728-11D3-9D7B-0000F81EF32E}";
inline constexpr const char* kJpegFormat = "{B96B3CAE-0728-11D3-9D7B-0000F81EF32E}";
inline constexpr const char* kGifFormat = "{B96B3CB0-0728-11D3-9D7B-0000F81EF32E}";

struct EncoderEntry {
    std::wstring clsidText;
    std::wstring formatText;
    std::wstring codecName;
    std::wstring mimeType;
};

// Every installed encoder, in GDI+'s order (empty when none can be listed).
std::vector<EncoderEntry> ListEncoders();

// The CLSID of the encoder whose format text equals formatText exactly
// (case-sensitive). False when none matches; clsid is then left alone.
bool FindEncoder(const char* formatText, CLSID* clsid);

}  // namespace orv::gp
