// A PE file's headers, imports, exports, resources and sections, read from
// its bytes: portable, for the tests that check built programs on the host
// and under Wine alike. Every read is bounds-checked; a malformed file leaves
// `error` set.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace orv::test {

inline std::string AsciiLower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

class PeFile {
public:
    explicit PeFile(std::string bytes) : b_(std::move(bytes))
    {
        if (b_.size() < 0x40 || b_.compare(0, 2, "MZ") != 0) {
            error = "no DOS header";
            return;
        }
        const size_t pe = U32(0x3C);
        if (pe + 24 > b_.size() || b_.compare(pe, 4, std::string("PE\0\0", 4)) != 0) {
            error = "no PE signature";
            return;
        }
        machine = U16(pe + 4);
        const uint16_t count = U16(pe + 6);
        characteristics = U16(pe + 22);
        const size_t optional = pe + 24;
        magic = U16(optional);
        entryPoint = U32(optional + 16);
        subsystem = U16(optional + 68);
        // The data directories: at 96 in a PE32 optional header, 112 in PE32+.
        const size_t directories = optional + (magic == 0x20B ? 112 : 96);
        exportRva_ = U32(directories);
        importRva_ = U32(directories + 8);
        resourceRva_ = U32(directories + 16);
        exceptionRva_ = U32(directories + 24);
        exceptionSize_ = U32(directories + 28);
        for (size_t i = 0, at = optional + U16(pe + 20); i < count; ++i, at += 40) {
            std::string name = b_.substr(at, 8);
            name.resize(name.find('\0') == std::string::npos ? 8 : name.find('\0'));
            sections_.push_back({name, U32(at + 12), std::max(U32(at + 8), U32(at + 16)), U32(at + 20)});
        }
    }

    std::string error;
    uint16_t machine = 0, magic = 0, subsystem = 0, characteristics = 0;
    uint32_t entryPoint = 0;

    size_t Size() const { return b_.size(); }
    // The section holding an address, by name ("" when none does).
    std::string SectionAt(uint32_t rva) const
    {
        for (const auto& s : sections_)
            if (rva >= s.rva && rva < s.rva + s.size) return s.name;
        return {};
    }

    // x86-64: whether the exception directory holds an unwind entry
    // (RUNTIME_FUNCTION: begin, end, unwind data) covering the address.
    bool HasUnwindEntryFor(uint32_t rva) const
    {
        const size_t at = Offset(exceptionRva_);
        for (size_t i = 0; exceptionRva_ && i + 12 <= exceptionSize_ && at + i + 12 <= b_.size(); i += 12)
            if (rva >= U32(at + i) && rva < U32(at + i + 4)) return true;
        return false;
    }

    std::set<std::string> ImportedLibraries() const
    {
        std::set<std::string> out;
        for (size_t at = Offset(importRva_); importRva_ && at + 20 <= b_.size(); at += 20) {
            const uint32_t name = U32(at + 12);
            if (!name) break;
            out.insert(AsciiLower(Text(name)));
        }
        return out;
    }
    std::set<std::string> ExportedNames() const
    {
        std::set<std::string> out;
        if (!exportRva_) return out;
        const size_t dir = Offset(exportRva_);
        const uint32_t count = U32(dir + 24);
        const size_t names = Offset(U32(dir + 32));
        for (uint32_t i = 0; i < count && i < 4096; ++i) out.insert(Text(U32(names + 4 * i)));
        return out;
    }
    // The bytes of resource type/id (first language), or empty.
    std::string Resource(uint32_t type, uint32_t id) const
    {
        if (!resourceRva_) return {};
        const size_t root = Offset(resourceRva_);
        size_t at = Entry(root, root, type);
        if (!at) return {};
        at = Entry(root, at, id);
        if (!at) return {};
        at = Entry(root, at, ~0u);  // any language
        if (!at) return {};
        return b_.substr(Offset(U32(at)), U32(at + 4));
    }
    std::string Section(const std::string& name) const
    {
        for (const auto& s : sections_)
            if (s.name == name) return b_.substr(s.raw, s.size);
        return {};
    }

private:
    struct SectionRow {
        std::string name;
        uint32_t rva, size, raw;
    };
    uint32_t U32(size_t at) const
    {
        if (at + 4 > b_.size()) return 0;
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b_[at + i]);
        return v;
    }
    uint16_t U16(size_t at) const
    {
        if (at + 2 > b_.size()) return 0;
        return static_cast<uint16_t>(static_cast<unsigned char>(b_[at]) | static_cast<unsigned char>(b_[at + 1]) << 8);
    }
    size_t Offset(uint32_t rva) const
    {
        for (const auto& s : sections_)
            if (rva >= s.rva && rva < s.rva + s.size) return rva - s.rva + s.raw;
        return b_.size();
    }
    std::string Text(uint32_t rva) const
    {
        const size_t at = Offset(rva);
        if (at >= b_.size()) return {};
        return std::string(b_.c_str() + at);
    }
    // In the resource directory at `dir`, the entry with integer id `id`
    // (any entry for ~0u): the subdirectory's or data entry's file offset.
    size_t Entry(size_t root, size_t dir, uint32_t id) const
    {
        const unsigned n = U16(dir + 12) + U16(dir + 14);
        for (unsigned i = 0; i < n && i < 1024; ++i) {
            const size_t e = dir + 16 + 8 * i;
            if (id != ~0u && U32(e) != id) continue;
            const uint32_t target = U32(e + 4);
            return root + (target & 0x7FFFFFFF);
        }
        return 0;
    }

    std::string b_;
    std::vector<SectionRow> sections_;
    uint32_t exportRva_ = 0, importRva_ = 0, resourceRva_ = 0, exceptionRva_ = 0, exceptionSize_ = 0;
};

}  // namespace orv::test
