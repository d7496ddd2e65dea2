#include "gdiplus/Fonts.h"

#include "gdiplus/GbkText.h"

namespace orv::gp {

namespace Flat = Gdiplus::DllExports;

bool FontFamily::CreateFromName(const char* name)
{
    const std::wstring wide = WideFromGbk(name);
    return Adopt([&](Gdiplus::GpFontFamily** f) {
        return Flat::GdipCreateFontFamilyFromName(wide.c_str(), nullptr, f);
    });
}

// The generic families belong to GDI+; a clone is ours to delete.
static GpStatus CloneGeneric(GpStatus (*getGeneric)(Gdiplus::GpFontFamily**), Gdiplus::GpFontFamily** out)
{
    Gdiplus::GpFontFamily* generic = nullptr;
    GpStatus status = getGeneric(&generic);
    if (status != Gdiplus::Ok) return status;
    return Flat::GdipCloneFontFamily(generic, out);
}

bool FontFamily::CreateGenericSansSerif()
{
    return Adopt([](Gdiplus::GpFontFamily** f) {
        return CloneGeneric([](Gdiplus::GpFontFamily** g) { return Flat::GdipGetGenericFontFamilySansSerif(g); }, f);
    });
}

bool FontFamily::CreateGenericSerif()
{
    return Adopt([](Gdiplus::GpFontFamily** f) {
        return CloneGeneric([](Gdiplus::GpFontFamily** g) { return Flat::GdipGetGenericFontFamilySerif(g); }, f);
    });
}

bool FontFamily::CreateGenericMonospace()
{
    return Adopt([](Gdiplus::GpFontFamily** f) {
        return CloneGeneric([](Gdiplus::GpFontFamily** g) { return Flat::GdipGetGenericFontFamilyMonospace(g); }, f);
    });
}

bool FontFamily::Clone(FontFamily* copy) const
{
    if (!copy) return Track(Gdiplus::InvalidParameter);
    Gdiplus::GpFontFamily* cloned = nullptr;
    if (!Track(Flat::GdipCloneFontFamily(Native(), &cloned))) return false;
    copy->SetNative(cloned);
    return true;
}

bool FontFamily::GetFamilyName(std::string* name, LANGID language) const
{
    wchar_t buffer[LF_FACESIZE] = {};
    if (!Track(Flat::GdipGetFamilyName(Native(), buffer, language))) return false;
    *name = GbkFromWide(buffer);
    return true;
}

bool FontFamily::IsStyleAvailable(INT style, bool* available) const
{
    BOOL result = FALSE;
    if (!Track(Flat::GdipIsStyleAvailable(Native(), style, &result))) return false;
    *available = result != FALSE;
    return true;
}

bool FontFamily::GetEmHeight(INT style, UINT16* height) const
{
    return Track(Flat::GdipGetEmHeight(Native(), style, height));
}

bool FontFamily::GetLineSpacing(INT style, UINT16* spacing) const
{
    return Track(Flat::GdipGetLineSpacing(Native(), style, spacing));
}

bool Font::Create(const FontFamily& family, float size, INT style, Gdiplus::Unit unit)
{
    return Adopt([&](Gdiplus::GpFont** f) { return Flat::GdipCreateFont(family.Native(), size, style, unit, f); });
}

bool Font::Create(const char* familyName, float size, INT style, Gdiplus::Unit unit)
{
    FontFamily family;
    if (!family.CreateFromName(familyName)) {
        Delete();
        return false;
    }
    return Create(family, size, style, unit);
}

bool Font::CreateFromDC(HDC dc, const LOGFONTA* logFont)
{
    return Adopt([&](Gdiplus::GpFont** f) {
        return logFont ? Flat::GdipCreateFontFromLogfontA(dc, const_cast<LOGFONTA*>(logFont), f)
                       : Flat::GdipCreateFontFromDC(dc, f);
    });
}

bool Font::Clone(Font* copy) const
{
    if (!copy) return Track(Gdiplus::InvalidParameter);
    Gdiplus::GpFont* cloned = nullptr;
    if (!Track(Flat::GdipCloneFont(Native(), &cloned))) return false;
    copy->SetNative(cloned);
    return true;
}

bool Font::GetFamily(FontFamily* family) const
{
    Gdiplus::GpFontFamily* result = nullptr;
    if (!Track(Flat::GdipGetFamily(Native(), &result))) return false;
    family->SetNative(result);
    return true;
}

bool Font::GetStyle(INT* style) const { return Track(Flat::GdipGetFontStyle(Native(), style)); }
bool Font::GetSize(float* size) const { return Track(Flat::GdipGetFontSize(Native(), size)); }
bool Font::GetUnit(Gdiplus::Unit* unit) const { return Track(Flat::GdipGetFontUnit(Native(), unit)); }

bool Font::GetHeight(Gdiplus::GpGraphics* graphics, float* height) const
{
    return Track(Flat::GdipGetFontHeight(Native(), graphics, height));
}

bool Font::GetLogFontA(Gdiplus::GpGraphics* graphics, LOGFONTA* logFont) const
{
    return Track(Flat::GdipGetLogFontA(Native(), graphics, logFont));
}

bool FontCollection::CreateInstalled()
{
    Gdiplus::GpFontCollection* collection = nullptr;
    if (!Track(Flat::GdipNewInstalledFontCollection(&collection))) return false;
    collection_ = collection;
    return true;
}

bool FontCollection::GetFamilyCount(INT* count) const
{
    return Track(Flat::GdipGetFontCollectionFamilyCount(collection_, count));
}

bool FontCollection::GetFamilies(std::vector<FontFamily>* families) const
{
    families->clear();
    INT count = 0;
    if (!GetFamilyCount(&count)) return false;
    std::vector<Gdiplus::GpFontFamily*> list(static_cast<size_t>(count > 0 ? count : 1), nullptr);
    INT found = 0;
    if (!Track(Flat::GdipGetFontCollectionFamilyList(collection_, count, list.data(), &found))) return false;
    // The listed families belong to the collection; each object gets a clone.
    for (INT i = 0; i < found; ++i) {
        Gdiplus::GpFontFamily* cloned = nullptr;
        if (!Track(Flat::GdipCloneFontFamily(list[static_cast<size_t>(i)], &cloned))) return false;
        families->emplace_back();
        families->back().SetNative(cloned);
    }
    return true;
}

}  // namespace orv::gp
