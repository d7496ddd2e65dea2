// Font families, fonts and the installed font collection. Names are GBK.
#pragma once

#include "gdiplus/GpCore.h"

#include <string>
#include <vector>

namespace orv::gp {

struct FontFamilyTraits {
    static GpStatus Delete(Gdiplus::GpFontFamily* f) { return Gdiplus::DllExports::GdipDeleteFontFamily(f); }
};

class FontFamily : public NativeObject<Gdiplus::GpFontFamily*, FontFamilyTraits> {
public:
    FontFamily() = default;
    // Substituted families are fine: under Wine "宋体" resolves through the
    // prefix's font replacements.
    bool CreateFromName(const char* name);
    bool CreateGenericSansSerif();
    bool CreateGenericSerif();
    bool CreateGenericMonospace();
    bool Clone(FontFamily* copy) const;

    // The name GDI+ reports, in GBK: the real (possibly substituted,
    // localised) name, not necessarily the one asked for.
    bool GetFamilyName(std::string* name, LANGID language = 0) const;
    bool IsStyleAvailable(INT style, bool* available) const;
    bool GetEmHeight(INT style, UINT16* height) const;
    bool GetLineSpacing(INT style, UINT16* spacing) const;
};

struct FontTraits {
    static GpStatus Delete(Gdiplus::GpFont* f) { return Gdiplus::DllExports::GdipDeleteFont(f); }
};

class Font : public NativeObject<Gdiplus::GpFont*, FontTraits> {
public:
    Font() = default;
    // style: Gdiplus::FontStyle bits (1 bold, 2 italic, ...). The default unit
    // is points, as for the painters' "宋体" 12.
    bool Create(const FontFamily& family, float size, INT style = 0, Gdiplus::Unit unit = Gdiplus::UnitPoint);
    // The family is made and deleted around the call.
    bool Create(const char* familyName, float size, INT style = 0, Gdiplus::Unit unit = Gdiplus::UnitPoint);
    // From a LOGFONT when one is given, else from the DC's selected font.
    bool CreateFromDC(HDC dc, const LOGFONTA* logFont = nullptr);
    bool Clone(Font* copy) const;

    // A new family object for this font's family.
    bool GetFamily(FontFamily* family) const;
    bool GetStyle(INT* style) const;
    bool GetSize(float* size) const;
    bool GetUnit(Gdiplus::Unit* unit) const;
    // Line height in pixels for the given graphics' resolution.
    bool GetHeight(Gdiplus::GpGraphics* graphics, float* height) const;
    bool GetLogFontA(Gdiplus::GpGraphics* graphics, LOGFONTA* logFont) const;
};

// The system's installed fonts. GDI+ owns that collection: nothing to delete.
class FontCollection {
public:
    bool CreateInstalled();
    Gdiplus::GpFontCollection* Native() const { return collection_; }
    bool GetFamilyCount(INT* count) const;
    // New family objects, one per installed family.
    bool GetFamilies(std::vector<FontFamily>* families) const;

private:
    Gdiplus::GpFontCollection* collection_ = nullptr;
};

}  // namespace orv::gp
