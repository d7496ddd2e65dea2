#include "gdiplus/StringFormat.h"

namespace orv::gp {

namespace Flat = Gdiplus::DllExports;

bool StringFormat::Create(INT flags, LANGID language)
{
    return Adopt([&](Gdiplus::GpStringFormat** f) { return Flat::GdipCreateStringFormat(flags, language, f); });
}

// The generic formats belong to GDI+ and must never be deleted: keep clones.
bool StringFormat::CreateGenericDefault()
{
    return Adopt([](Gdiplus::GpStringFormat** f) {
        Gdiplus::GpStringFormat* generic = nullptr;
        GpStatus status = Flat::GdipStringFormatGetGenericDefault(&generic);
        return status == Gdiplus::Ok ? Flat::GdipCloneStringFormat(generic, f) : status;
    });
}

bool StringFormat::CreateGenericTypographic()
{
    return Adopt([](Gdiplus::GpStringFormat** f) {
        Gdiplus::GpStringFormat* generic = nullptr;
        GpStatus status = Flat::GdipStringFormatGetGenericTypographic(&generic);
        return status == Gdiplus::Ok ? Flat::GdipCloneStringFormat(generic, f) : status;
    });
}

bool StringFormat::Clone(StringFormat* copy) const
{
    if (!copy) return Track(Gdiplus::InvalidParameter);
    Gdiplus::GpStringFormat* cloned = nullptr;
    if (!Track(Flat::GdipCloneStringFormat(Native(), &cloned))) return false;
    copy->SetNative(cloned);
    return true;
}

bool StringFormat::GetFlags(INT* flags) const { return Track(Flat::GdipGetStringFormatFlags(Native(), flags)); }
bool StringFormat::SetFlags(INT flags) { return Track(Flat::GdipSetStringFormatFlags(Native(), flags)); }

bool StringFormat::GetAlign(Gdiplus::StringAlignment* align) const
{
    return Track(Flat::GdipGetStringFormatAlign(Native(), align));
}

bool StringFormat::SetAlign(Gdiplus::StringAlignment align) { return Track(Flat::GdipSetStringFormatAlign(Native(), align)); }

bool StringFormat::GetLineAlign(Gdiplus::StringAlignment* align) const
{
    return Track(Flat::GdipGetStringFormatLineAlign(Native(), align));
}

bool StringFormat::SetLineAlign(Gdiplus::StringAlignment align)
{
    return Track(Flat::GdipSetStringFormatLineAlign(Native(), align));
}

bool StringFormat::GetTrimming(Gdiplus::StringTrimming* trimming) const
{
    return Track(Flat::GdipGetStringFormatTrimming(Native(), trimming));
}

bool StringFormat::SetTrimming(Gdiplus::StringTrimming trimming)
{
    return Track(Flat::GdipSetStringFormatTrimming(Native(), trimming));
}

bool StringFormat::GetHotkeyPrefix(INT* prefix) const
{
    return Track(Flat::GdipGetStringFormatHotkeyPrefix(Native(), prefix));
}

bool StringFormat::SetHotkeyPrefix(INT prefix) { return Track(Flat::GdipSetStringFormatHotkeyPrefix(Native(), prefix)); }

}  // namespace orv::gp
