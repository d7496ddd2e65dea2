// Layout of text inside its rectangle.
#pragma once

#include "gdiplus/GpCore.h"

namespace orv::gp {

struct StringFormatTraits {
    static GpStatus Delete(Gdiplus::GpStringFormat* f) { return Gdiplus::DllExports::GdipDeleteStringFormat(f); }
};

class StringFormat : public NativeObject<Gdiplus::GpStringFormat*, StringFormatTraits> {
public:
    StringFormat() = default;
    // flags: Gdiplus::StringFormatFlags bits.
    bool Create(INT flags = 0, LANGID language = LANG_NEUTRAL);
    // Copies of GDI+'s generic formats (the originals belong to GDI+).
    bool CreateGenericDefault();
    bool CreateGenericTypographic();
    bool Clone(StringFormat* copy) const;

    bool GetFlags(INT* flags) const;
    bool SetFlags(INT flags);
    // Horizontal alignment (near = left, center, far = right).
    bool GetAlign(Gdiplus::StringAlignment* align) const;
    bool SetAlign(Gdiplus::StringAlignment align);
    // Vertical alignment.
    bool GetLineAlign(Gdiplus::StringAlignment* align) const;
    bool SetLineAlign(Gdiplus::StringAlignment align);
    bool GetTrimming(Gdiplus::StringTrimming* trimming) const;
    bool SetTrimming(Gdiplus::StringTrimming trimming);
    bool GetHotkeyPrefix(INT* prefix) const;
    bool SetHotkeyPrefix(INT prefix);
};

}  // namespace orv::gp
