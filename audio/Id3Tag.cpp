// A track's title from its ID3 tags, for naming a song that the catalogue
// does not have yet. Tags are walked frame by frame through a small window:
// the cover picture that often comes first can be megabytes and is passed
// over by its size, never read in.
#include "audio/Id3Tag.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "audio/BytesIn.h"

namespace orv {

namespace {

constexpr size_t kWindowBytes = 64 * 1024;
// A title frame is a few dozen bytes; a larger one is read this far.
constexpr size_t kMaxTitleBytes = 64 * 1024;
// Some files carry tags one after another (re-tagged by a second program).
constexpr int kMaxLeadingTags = 8;
constexpr char16_t kReplacement = 0xFFFD;
constexpr char16_t kByteOrderMark = 0xFEFF;

bool IsFrameId(const uint8_t* id, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (!((id[i] >= 'A' && id[i] <= 'Z') || (id[i] >= '0' && id[i] <= '9'))) return false;
    return true;
}

// Unsynchronisation put a 0x00 after every 0xFF that could be read as a sync;
// the tag's own bytes are those with that 0x00 taken out again.
class UnsyncUndo {
public:
    bool Drop(uint8_t b)
    {
        const bool drop = afterFF_ && b == 0x00;
        afterFF_ = !drop && b == 0xFF;
        return drop;
    }

private:
    bool afterFF_ = false;
};

// The bytes of one tag as its frames count them: unsynchronisation of the
// whole tag (v2.2, v2.3) undone on the way.
class TagBytes {
public:
    TagBytes(ByteSource& source, uint64_t begin, uint64_t end, bool unsync)
        : source_(source), pos_(begin), end_(std::max(begin, end)), unsync_(unsync)
    {
    }

    bool Read(uint8_t* out, size_t n)
    {
        for (size_t i = 0; i < n; ++i)
            if (!Next(out + i)) return false;
        return true;
    }

    bool Skip(uint64_t n)
    {
        if (!unsync_) {
            if (n > end_ - pos_) return false;
            pos_ += n;
            return true;
        }
        uint8_t b;
        for (; n > 0; --n)
            if (!Next(&b)) return false;
        return true;
    }

    // Whether a frame of size bytes from here would end where a frame id,
    // padding or the tag's end follows. Only for tags without whole-tag
    // unsynchronisation (v2.4), where sizes count the stored bytes.
    bool EndsWell(uint64_t size)
    {
        if (size > end_ - pos_) return false;
        if (size == end_ - pos_) return true;
        uint8_t id[4];
        const size_t want = static_cast<size_t>(std::min<uint64_t>(4, end_ - pos_ - size));
        if (ReadFully(source_, pos_ + size, id, want) != static_cast<int64_t>(want)) return false;
        return id[0] == 0 || (want == 4 && IsFrameId(id, 4));
    }

private:
    bool Raw(uint8_t* b)
    {
        if (pos_ >= end_) return false;
        if (pos_ < windowAt_ || pos_ - windowAt_ >= windowBytes_) {
            window_.resize(kWindowBytes);
            const size_t want = static_cast<size_t>(std::min<uint64_t>(kWindowBytes, end_ - pos_));
            const int64_t n = ReadFully(source_, pos_, window_.data(), want);
            if (n <= 0) return false;
            windowAt_ = pos_;
            windowBytes_ = static_cast<size_t>(n);
        }
        *b = window_[static_cast<size_t>(pos_ - windowAt_)];
        ++pos_;
        return true;
    }

    bool Next(uint8_t* b)
    {
        if (!Raw(b)) return false;
        if (unsync_ && undo_.Drop(*b)) {
            if (!Raw(b)) return false;
            undo_.Drop(*b);  // never drops right after a drop; keeps track of 0xFF
        }
        return true;
    }

    ByteSource& source_;
    uint64_t pos_, end_;
    bool unsync_;
    UnsyncUndo undo_;
    std::vector<uint8_t> window_;
    uint64_t windowAt_ = 0;
    size_t windowBytes_ = 0;
};

void AppendUtf16(std::u16string* out, uint32_t codePoint)
{
    if (codePoint >= 0x10000) {
        codePoint -= 0x10000;
        out->push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
        out->push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
    } else {
        out->push_back(static_cast<char16_t>(codePoint));
    }
}

// UTF-8 to UTF-16; each broken sequence (a stray byte, one cut short, an
// overlong form, a surrogate, past U+10FFFF) becomes one U+FFFD.
void DecodeUtf8(const uint8_t* p, size_t n, std::u16string* out)
{
    size_t i = 0;
    while (i < n) {
        const uint8_t b = p[i];
        size_t length;
        uint32_t cp, least;
        if (b < 0x80) {
            out->push_back(b);
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            length = 2, cp = b & 0x1Fu, least = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3, cp = b & 0x0Fu, least = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4, cp = b & 0x07u, least = 0x10000;
        } else {
            out->push_back(kReplacement);
            ++i;
            continue;
        }
        size_t k = 1;
        for (; k < length && i + k < n && (p[i + k] & 0xC0) == 0x80; ++k) cp = cp << 6 | (p[i + k] & 0x3Fu);
        if (k < length || cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out->push_back(kReplacement);
        } else {
            AppendUtf16(out, cp);
        }
        i += k;
    }
}

// A text frame's body: the encoding byte, then its first string (v2.4 may
// hold several, NUL-separated; the first is the title).
bool DecodeTitle(const uint8_t* p, size_t n, TagTitle* title)
{
    if (n == 0) return false;
    const uint8_t encoding = p[0];
    ++p, --n;
    TagTitle t;
    if (encoding == 0) {
        const size_t length = static_cast<size_t>(std::find(p, p + n, 0) - p);
        t.legacy.assign(reinterpret_cast<const char*>(p), length);
        while (!t.legacy.empty() && t.legacy.back() == ' ') t.legacy.pop_back();
    } else if (encoding == 1 || encoding == 2) {
        // Without a byte order mark, UTF-16 in the wild is little-endian (Windows writers).
        bool bigEndian = encoding == 2;
        size_t i = 0;
        if (n >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
            bigEndian = p[0] == 0xFE;
            i = 2;
        }
        for (; i + 1 < n; i += 2) {
            const char16_t unit = static_cast<char16_t>(bigEndian ? (p[i] << 8 | p[i + 1]) : (p[i + 1] << 8 | p[i]));
            if (unit == 0) break;
            t.unicode.push_back(unit);
        }
    } else if (encoding == 3) {
        const size_t length = static_cast<size_t>(std::find(p, p + n, 0) - p);
        DecodeUtf8(p, length, &t.unicode);
    } else {
        return false;
    }
    // A second byte order mark (some writers add one per string) is no part of the title.
    size_t marks = 0;
    while (marks < t.unicode.size() && t.unicode[marks] == kByteOrderMark) ++marks;
    t.unicode.erase(0, marks);
    while (!t.unicode.empty() && (t.unicode.back() == u' ' || t.unicode.back() == 0)) t.unicode.pop_back();
    if (t.Empty()) return false;
    *title = std::move(t);
    return true;
}

// The title frame's size in a v2.4 tag. Sizes there are syncsafe, but some
// writers put plain ones: when the syncsafe reading does not end where the
// next frame starts and the plain one does, the plain one is meant.
uint64_t V24FrameSize(TagBytes& tag, const uint8_t* sizeBytes)
{
    const uint32_t plain = Be32(sizeBytes);
    if ((sizeBytes[0] | sizeBytes[1] | sizeBytes[2] | sizeBytes[3]) & 0x80) return plain;
    const uint32_t syncsafe = Syncsafe(sizeBytes);
    if (syncsafe == plain || tag.EndsWell(syncsafe) || !tag.EndsWell(plain)) return syncsafe;
    return plain;
}

// The title in the ID3v2 tag whose header h is at offset.
bool TitleFromV2(ByteSource& source, uint64_t offset, const uint8_t* h, TagTitle* title)
{
    const int major = h[3];
    const uint8_t flags = h[5];
    // v2.2 compression has no method defined: such a tag cannot be read.
    if (major < 2 || major > 4 || (major == 2 && (flags & 0x40))) return false;
    const uint64_t end = std::min(offset + 10 + Syncsafe(h + 6), source.Size());
    const bool tagUnsync = (flags & 0x80) != 0;
    // In v2.4 the tag's flag only says that every frame carries its own.
    TagBytes tag(source, offset + 10, end, tagUnsync && major < 4);
    if (major >= 3 && (flags & 0x40)) {
        uint8_t ext[4];
        if (!tag.Read(ext, 4)) return false;
        // v2.3 counts the extended header without its size field, v2.4 with it.
        const uint64_t rest = major == 3 ? Be32(ext) : Syncsafe(ext);
        if ((major == 4 && rest < 4) || !tag.Skip(major == 3 ? rest : rest - 4)) return false;
    }
    const size_t idBytes = major == 2 ? 3 : 4;
    const size_t headBytes = major == 2 ? 6 : 10;
    const char* titleId = major == 2 ? "TT2" : "TIT2";
    std::vector<uint8_t> body;
    for (;;) {
        uint8_t fh[10];
        // Padding, damage or the end: no more frames.
        if (!tag.Read(fh, headBytes) || !IsFrameId(fh, idBytes)) return false;
        uint64_t size = 0;
        uint8_t format = 0;
        if (major == 2) {
            size = static_cast<uint64_t>(fh[3]) << 16 | static_cast<uint64_t>(fh[4]) << 8 | fh[5];
        } else {
            size = major == 3 ? Be32(fh + 4) : V24FrameSize(tag, fh + 4);
            format = fh[9];
        }
        const bool compressedOrEncrypted = major == 3 ? (format & 0xC0) != 0 : (format & 0x0C) != 0;
        if (std::memcmp(fh, titleId, idBytes) != 0 || compressedOrEncrypted) {
            if (!tag.Skip(size)) return false;
            continue;
        }
        const size_t keep = static_cast<size_t>(std::min<uint64_t>(size, kMaxTitleBytes));
        body.resize(keep);
        if (!tag.Read(body.data(), keep) || !tag.Skip(size - keep)) return false;
        // Bytes that come before the text: a group id (v2.3 0x20, v2.4 0x40)
        // and, in v2.4, a 4-byte data length.
        size_t skip = 0;
        if (major == 3 && (format & 0x20)) skip += 1;
        if (major == 4 && (format & 0x40)) skip += 1;
        if (major == 4 && (format & 0x01)) skip += 4;
        body.erase(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(std::min(skip, body.size())));
        if (major == 4 && ((format & 0x02) || tagUnsync)) {
            UnsyncUndo undo;
            body.erase(std::remove_if(body.begin(), body.end(), [&undo](uint8_t b) { return undo.Drop(b); }),
                       body.end());
        }
        if (DecodeTitle(body.data(), body.size(), title)) return true;
    }
}

bool TitleFromV1(ByteSource& source, TagTitle* title)
{
    const uint64_t size = source.Size();
    uint8_t tag[128];
    if (size < sizeof tag || ReadFully(source, size - sizeof tag, tag, sizeof tag) != 128) return false;
    if (std::memcmp(tag, "TAG", 3) != 0) return false;
    const uint8_t* field = tag + 3;
    size_t length = static_cast<size_t>(std::find(field, field + 30, 0) - field);
    while (length > 0 && field[length - 1] == ' ') --length;
    if (length == 0) return false;
    title->legacy.assign(reinterpret_cast<const char*>(field), length);
    return true;
}

}  // namespace

bool ReadId3Title(ByteSource& source, TagTitle* title)
{
    *title = TagTitle();
    uint64_t offset = 0;
    for (int i = 0; i < kMaxLeadingTags; ++i) {
        uint8_t h[10];
        if (ReadFully(source, offset, h, sizeof h) != 10 || !IsId3v2Header(h)) break;
        if (TitleFromV2(source, offset, h, title)) return true;
        offset += 10 + static_cast<uint64_t>(Syncsafe(h + 6)) + ((h[3] >= 4 && (h[5] & 0x10)) ? 10 : 0);
    }
    return TitleFromV1(source, title);
}

}  // namespace orv
