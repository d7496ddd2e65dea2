#include "gdiplus/Encoders.h"

#include "gdiplus/GbkText.h"
#include "gdiplus/GpCore.h"

#include <objbase.h>

namespace orv::gp {

namespace {

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40] = {};
    if (StringFromGUID2(guid, text, 40) == 0) return std::wstring();
    return text;
}

}  // namespace

std::vector<EncoderEntry> ListEncoders()
{
    std::vector<EncoderEntry> entries;
    UINT count = 0;
    UINT size = 0;
    if (!Track(Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &size)) || count == 0 || size == 0)
        return entries;
    // One buffer: the codec records are followed by the strings they point at.
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (!Track(Gdiplus::DllExports::GdipGetImageEncoders(count, size, codecs))) return entries;
    for (UINT i = 0; i < count; ++i) {
        EncoderEntry entry;
        entry.clsidText = GuidText(codecs[i].Clsid);
        entry.formatText = GuidText(codecs[i].FormatID);
        if (codecs[i].CodecName) entry.codecName = codecs[i].CodecName;
        if (codecs[i].MimeType) entry.mimeType = codecs[i].MimeType;
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool FindEncoder(const char* formatText, CLSID* clsid)
{
    if (!formatText || !clsid) return false;
    const std::wstring wanted = WideFromGbk(formatText);
    for (const EncoderEntry& entry : ListEncoders()) {
        if (entry.formatText != wanted) continue;
        CLSID found{};
        if (FAILED(CLSIDFromString(const_cast<wchar_t*>(entry.clsidText.c_str()), &found))) return false;
        *clsid = found;
        return true;
    }
    return false;
}

}  // namespace orv::gp
