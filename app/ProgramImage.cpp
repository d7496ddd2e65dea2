#include "app/ProgramImage.h"

#include <cstring>

#include "app/MainLayout.h"
#include "app/ProgramTexts.h"
#include "image/ProgramImageReader.h"
#include "resources/ResourceIds.h"

namespace orv {

namespace {

using image::FormUnit;
using image::ImportedFunction;
using image::SupportLibrary;

constexpr uint32_t kItemsMagic = 0x5245564F;  // "OVER": the stored-item directory
constexpr uint32_t kHandlersMagic = 0x444E484F;  // "OHND": the handler table
constexpr uint32_t kWindowUnitId = 0x06011C70;
constexpr uint32_t kWindowId = 0x52011C71;
constexpr uint32_t kHandCursor = 0x7F89;
constexpr uint32_t kPropertiesVersion = 1;

uint32_t TypeOf(UnitKind kind)
{
    switch (kind) {
    case UnitKind::Window: return image::kUnitWindow;
    case UnitKind::Edit: return image::kUnitEdit;
    case UnitKind::GroupBox: return image::kUnitGroupBox;
    case UnitKind::Button: return image::kUnitButton;
    case UnitKind::ListBox: return image::kUnitListBox;
    case UnitKind::TabControl: return image::kUnitTabControl;
    case UnitKind::TransparentLabel: return image::kUnitTransparentLabel;
    }
    return 0;
}

bool KindOf(uint32_t type, UnitKind* kind)
{
    static const UnitKind kKinds[] = {UnitKind::Window,  UnitKind::Edit,    UnitKind::GroupBox,  UnitKind::Button,
                                      UnitKind::ListBox, UnitKind::TabControl, UnitKind::TransparentLabel};
    for (UnitKind k : kKinds)
        if (TypeOf(k) == type) {
            *kind = k;
            return true;
        }
    return false;
}

// ---- little-endian byte building and reading ----------------------------

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutBytes(std::vector<uint8_t>& out, std::string_view bytes)
{
    PutU32(out, static_cast<uint32_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool U32(uint32_t* v)
    {
        if (size_ - pos_ < 4) return false;
        *v = static_cast<uint32_t>(data_[pos_]) | (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
             (static_cast<uint32_t>(data_[pos_ + 2]) << 16) | (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
        pos_ += 4;
        return true;
    }
    bool Bytes(std::string* out)
    {
        uint32_t n = 0;
        if (!U32(&n) || size_ - pos_ < n) return false;
        out->assign(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return true;
    }
    // The bytes where they lie, valid as long as the data read.
    bool View(std::string_view* out)
    {
        uint32_t n = 0;
        if (!U32(&n) || size_ - pos_ < n) return false;
        *out = std::string_view(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return true;
    }
    bool AtEnd() const { return pos_ == size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// A unit's own property data: text, colours, flags, font; the window's
// ends with its sound.
std::vector<uint8_t> EncodeProperties(const UnitSpec& u, std::string_view sound)
{
    std::vector<uint8_t> out;
    PutU32(out, kPropertiesVersion);
    PutBytes(out, u.text ? u.text : "");
    PutU32(out, u.textColour);
    PutU32(out, u.backColour);
    PutU32(out, u.flags);
    PutU32(out, u.font ? 1 : 0);
    if (u.font) {
        PutBytes(out, u.font->face);
        PutU32(out, static_cast<uint32_t>(u.font->height));
        PutU32(out, static_cast<uint32_t>(u.font->weight));
        PutU32(out, u.font->underline ? 1 : 0);
        PutU32(out, static_cast<uint32_t>(u.font->charset));
    }
    if (u.kind == UnitKind::Window) PutBytes(out, sound);
    return out;
}

// The window's sound is stored twice, in the window's properties and among
// the stored items: one copy in memory serves both.
void KeepWindowSound(std::string_view sound, LoadedProgram* program)
{
    for (const auto& [id, bytes] : program->items)
        if (bytes == sound) {
            std::string().swap(program->ownSound);
            program->windowSound = bytes;
            return;
        }
    program->ownSound.assign(sound.data(), sound.size());
    program->windowSound = program->ownSound;
}

bool DecodeProperties(const std::vector<uint8_t>& bytes, UnitSpec* u, LoadedProgram* program)
{
    Reader r(bytes.data(), bytes.size());
    uint32_t version = 0, hasFont = 0;
    std::string text;
    if (!r.U32(&version) || version != kPropertiesVersion || !r.Bytes(&text) || !r.U32(&u->textColour) ||
        !r.U32(&u->backColour) || !r.U32(&u->flags) || !r.U32(&hasFont))
        return false;
    program->texts.push_back(std::move(text));
    u->text = program->texts.back().c_str();
    u->font = nullptr;
    if (hasFont) {
        std::string face;
        uint32_t height = 0, weight = 0, underline = 0, charset = 0;
        if (!r.Bytes(&face) || !r.U32(&height) || !r.U32(&weight) || !r.U32(&underline) || !r.U32(&charset))
            return false;
        program->texts.push_back(std::move(face));
        program->fonts.push_back(FontSpec{program->texts.back().c_str(), static_cast<int>(height),
                                          static_cast<int>(weight), underline != 0, static_cast<int>(charset)});
        u->font = &program->fonts.back();
    }
    if (u->kind == UnitKind::Window) {
        std::string_view sound;
        if (!r.View(&sound)) return false;
        KeepWindowSound(sound, program);
    }
    return r.AtEnd();
}

uint32_t UnitId(int index) { return kWindowUnitId + static_cast<uint32_t>(index); }

image::FormLayout BuildForm(const StoredItems& items)
{
    const LayoutTable layout = MainLayout();
    const EventTable events = MainEvents();
    image::FormLayout form;
    form.windowId = kWindowId;
    form.extra = {0x00BEEB90u, 0x00C72328u, 0x19011C72u};
    for (int i = 0; i < layout.count; ++i) {
        const UnitSpec& u = layout.units[i];
        FormUnit f;
        f.id = UnitId(i);
        f.type = TypeOf(u.kind);
        f.name = u.name;
        f.left = u.left;
        f.top = u.top;
        f.width = u.width;
        f.height = u.height;
        f.parentId = i == 0 ? 0 : UnitId(u.parent < 0 ? 0 : u.parent);
        for (int c = 1; c < layout.count; ++c)
            if (c != i && (layout.units[c].parent < 0 ? 0 : layout.units[c].parent) == i) f.children.push_back(UnitId(c));
        if (u.flags & kUnitHandCursor) PutU32(f.cursor, kHandCursor);
        f.visible = (u.flags & kUnitVisible) != 0;
        for (int e = 0; e < events.count; ++e)
            if (events.bindings[e].unit == i)
                f.events.push_back({static_cast<int32_t>(events.bindings[e].event),
                                    4u * static_cast<uint32_t>(events.bindings[e].handler)});
        auto sound = items.find(IDR_WINDOW_SOUND);
        f.properties = EncodeProperties(u, sound == items.end() ? std::string_view() : sound->second);
        form.units.push_back(std::move(f));
    }
    return form;
}

}  // namespace

const std::vector<StoredFile>& StoredFiles()
{
    static const std::vector<StoredFile> kFiles = {
        {IDR_BACKGROUND, "background.jpg"},  {IDR_CLICK_SOUND, "click.wav"},
        {IDR_WINDOW_SOUND, "window.wav"},    {IDR_TOOL_RESSIM, "tool_ressim.png"},
        {IDR_TOOL_PELLAT, "tool_pellat.png"}, {IDR_TOOL_CORVEL, "tool_corvel.png"},
        {IDR_TOOL_TAMBLIN, "tool_tamblin.png"}, {IDR_CHAT, "chat.png"},
        {IDR_SEARCH, "search.png"},          {IDR_REMOTE_SEARCH, "remote_search.png"},
        {IDR_SAVE, "save.png"},              {IDR_TITLE_MIN, "title_min.png"},
        {IDR_TITLE_MAX, "title_max.png"},    {IDR_TITLE_RESTORE, "title_restore.png"},
        {IDR_TITLE_HELP, "title_help.png"},  {IDR_TITLE_MENU, "title_menu.png"},
        {IDR_TITLE_CLOSE, "title_close.png"}, {IDR_MSGBOX_CLOSE, "msgbox_close.png"},
        {IDR_COMBO_ARROW, "combo_arrow.png"}, {IDR_ARROW_UP, "arrow_up.png"},
        {IDR_ARROW_DOWN, "arrow_down.png"},  {IDR_ARROW_LEFT, "arrow_left.png"},
        {IDR_ARROW_RIGHT, "arrow_right.png"},
    };
    return kFiles;
}

const std::vector<SupportLibrary>& ProvidedSupportLibraries()
{
    static const std::vector<SupportLibrary> kLibraries = {
        {"core", "4F5256414E45434F5245303030303035", "5", "0", "system core"},
        {"uiext", "4F5256414E4555494558543030303032", "2", "0", "extended interface"},
        {"sysapi", "4F5256414E4553595341504930303033", "3", "0", "application interface"},
        {"special", "4F5256414E455350454349414C303033", "3", "0", "special functions"},
        {"shell", "4F5256414E455348454C4C3030303033", "3", "0", "operating-system shell interface"},
        {"shellx", "4F5256414E455348454C4C5830303033", "3", "0", "extended functions"},
    };
    return kLibraries;
}

const std::vector<ImportedFunction>& DeclaredFunctions()
{
    // Spelled as declared: the runtime matches library names ignoring case
    // and an optional ".dll".
    static const std::vector<ImportedFunction> kFunctions = {
        {"gdiplus", "GdiplusStartup"},           {"GdiPlus.dll", "GdiplusShutdown"},
        {"gdiplus", "GdipCreateFromHDC"},        {"gdiplus", "GdipDeleteGraphics"},
        {"gdiplus", "GdipLoadImageFromStream"},  {"gdiplus", "GdipDisposeImage"},
        {"gdiplus", "GdipDrawImageRectRectI"},   {"gdiplus", "GdipFillPath"},
        {"gdiplus", "GdipCreateLineBrush"},      {"gdiplus", "GdipDrawString"},
        {"user32", "SetWindowLongA"},            {"User32.dll", "CallWindowProcA"},
        {"user32", "SetPropA"},                  {"user32", "GetPropA"},
        {"user32", "SendMessageA"},              {"user32", "SendMessageA"},
        {"user32", "FindWindowExA"},             {"user32", "TrackMouseEvent"},
        {"user32", "SetLayeredWindowAttributes"}, {"user32", "SetWindowRgn"},
        {"user32", "SetWindowsHookExA"},         {"user32", "MessageBoxExA"},
        {"gdi32.dll", "CreateCompatibleDC"},     {"gdi32.dll", "BitBlt"},
        {"gdi32.dll", "CreateRoundRectRgn"},     {"gdi32.dll", "CreatePatternBrush"},
        {"msimg32.dll", "TransparentBlt"},       {"comctl32.dll", "ImageList_GetIcon"},
        {"COMCTL32.DLL", "ImageList_Destroy"},   {"ole32.dll", "CreateStreamOnHGlobal"},
        {"ole32.dll", "CLSIDFromString"},        {"shlwapi.dll", "SHCreateThread"},
        {"kernel32", "GlobalAlloc"},             {"kernel32", "MultiByteToWideChar"},
        {std::nullopt, "GetCurrentProcessId"},   {std::nullopt, "Sleep"},
    };
    return kFunctions;
}

image::ImageBuildModel BuildProgramImageModel(const StoredItems& pictures)
{
    // The program's texts travel with its pictures and sounds.
    StoredItems items = pictures;
    for (const ProgramTextEntry& t : BuiltInTexts()) items.emplace(t.id, t.text);
    image::ImageBuildModel model;
    // const: the stored-item directory {id, offset, size} and the items,
    // 4-aligned; each offset carries a const fixup, so a loaded image holds
    // addresses there.
    std::vector<uint8_t>& c = model.constSegment.data;
    PutU32(c, kItemsMagic);
    PutU32(c, static_cast<uint32_t>(items.size()));
    const size_t directory = c.size();
    c.resize(c.size() + 12 * items.size());
    size_t slot = directory;
    for (const auto& [id, bytes] : items) {
        while (c.size() % 4) c.push_back(0);
        const uint32_t at = static_cast<uint32_t>(c.size());
        c.insert(c.end(), bytes.begin(), bytes.end());
        const uint32_t fields[3] = {static_cast<uint32_t>(id), at, static_cast<uint32_t>(bytes.size())};
        for (int k = 0; k < 3; ++k)
            for (int b = 0; b < 4; ++b) c[slot + 4 * k + b] = static_cast<uint8_t>(fields[k] >> (8 * b));
        model.constSegment.fixups.push_back({image::FixupKind::Const, static_cast<uint32_t>(slot + 4)});
        slot += 12;
    }
    while (c.size() % 4) c.push_back(0);

    // code: the start marker, then one entry per handler number; an event's
    // code offset names the entry of its handler.
    std::vector<uint8_t>& code = model.code.data;
    PutU32(code, kHandlersMagic);
    for (uint32_t h = 1; h < static_cast<uint32_t>(Handler::Count); ++h) PutU32(code, h);
    model.startOffset = 0;
    model.varSize = 92;
    model.imports = DeclaredFunctions();
    model.libraries = ProvidedSupportLibraries();
    model.form = BuildForm(items);
    return model;
}

bool LoadProgramImage(const uint8_t* data, size_t size, LoadedProgram* program, std::string* error)
{
    image::ImageReadResult read = image::ReadProgramImage(data, size);
    if (!read.ok) {
        *error = "the program image is invalid: " + read.error;
        return false;
    }
    const image::ProgramImage& img = read.image;
    const image::Segment* constSeg = img.FindSegment("const");
    const image::Segment* code = img.FindSegment("code");
    if (!constSeg || !code) {
        *error = "the program image has no const or code segment";
        return false;
    }
    program->imports = img.imports;
    program->libraries = img.libraries;

    // The const data is read where the image holds it: the launcher's
    // section stays in memory for the whole run, and a copy would hold every
    // stored picture and sound twice. Its fixups are the stored-item
    // directory's offsets, which fixed up against the data in place would
    // read as the items' addresses there: the directory is read as offsets
    // from the data instead, and the image stays as it is (the launcher's
    // section is read-only).
    const uint8_t* constData = constSeg->storedSize ? data + constSeg->dataOffset : nullptr;
    const size_t constSize = constSeg->data.size();
    const std::vector<uint8_t>& codeData = code->data;

    Reader dir(constData, constSize);
    uint32_t magic = 0, count = 0;
    if (!dir.U32(&magic) || magic != kItemsMagic || !dir.U32(&count) || count > constSize / 12) {
        *error = "the program image holds no stored-item directory";
        return false;
    }
    program->items.clear();
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t id = 0, offset = 0, length = 0;
        if (!dir.U32(&id) || !dir.U32(&offset) || !dir.U32(&length)) {
            *error = "the stored-item directory is cut short";
            return false;
        }
        if (offset > constSize || length > constSize - offset) {
            *error = "stored item " + std::to_string(id) + " lies outside the const segment";
            return false;
        }
        program->items[static_cast<int>(id)] = std::string_view(reinterpret_cast<const char*>(constData + offset), length);
    }

    // The layout: units in order, the window first.
    const auto& units = img.form.units;
    std::map<uint32_t, int> indexOf;
    for (size_t i = 0; i < units.size(); ++i) indexOf[units[i].id] = static_cast<int>(i);
    if (units.empty() || units[0].type != image::kUnitWindow) {
        *error = "the program image's layout has no window";
        return false;
    }
    program->units.clear();
    program->events.clear();
    for (size_t i = 0; i < units.size(); ++i) {
        const FormUnit& f = units[i];
        UnitSpec u{};
        if (!KindOf(f.type, &u.kind)) {
            *error = "layout unit " + std::to_string(i) + " has an unknown type";
            return false;
        }
        program->texts.push_back(f.name);
        u.name = program->texts.back().c_str();
        u.left = f.left;
        u.top = f.top;
        u.width = f.width;
        u.height = f.height;
        auto parent = indexOf.find(f.parentId);
        u.parent = i == 0 ? -1 : (parent == indexOf.end() ? 0 : parent->second);
        if (!DecodeProperties(f.properties, &u, program)) {
            *error = "layout unit " + std::to_string(i) + " has malformed properties";
            return false;
        }
        u.flags = (u.flags & ~static_cast<uint32_t>(kUnitVisible)) | (f.visible ? kUnitVisible : 0u);
        program->units.push_back(u);
        for (const image::UnitEvent& e : f.events) {
            uint32_t handler = 0;
            Reader at(codeData.data() + (e.codeOffset <= codeData.size() ? e.codeOffset : codeData.size()),
                      e.codeOffset <= codeData.size() ? codeData.size() - e.codeOffset : 0);
            if (!at.U32(&handler) || handler == 0 || handler >= static_cast<uint32_t>(Handler::Count) ||
                e.event < 0 || e.event > static_cast<int32_t>(EventKind::KeyDown)) {
                *error = "layout unit " + std::to_string(i) + " binds an unknown handler";
                return false;
            }
            program->events.push_back({static_cast<int>(i), static_cast<EventKind>(e.event), static_cast<Handler>(handler)});
        }
    }
    return true;
}

}  // namespace orv
