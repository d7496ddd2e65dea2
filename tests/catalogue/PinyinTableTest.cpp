// The committed pinyin table against the Unicode file it was generated from,
// read here on its own: each two-byte GBK code must have exactly the
// toneless readings that the file's kMandarin, kTGHZ2013 and kXHC1983 give
// its character (a compatibility ideograph those of the one it stands for).
#include <gtest/gtest.h>

#include <iconv.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "catalogue/PinyinTable.h"

namespace orv {
namespace {

constexpr char kReadings[] = "/usr/share/unicode/Unihan_Readings.txt.bz2";
constexpr char kUnicodeData[] = "/usr/share/unicode/UnicodeData.txt";

std::vector<std::string> CommandLines(const std::string& command)
{
    std::vector<std::string> lines;
    FILE* out = popen(command.c_str(), "r");
    if (!out) return lines;
    std::string line;
    for (int c; (c = std::fgetc(out)) != EOF;) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        lines.push_back(line);
        line.clear();
    }
    pclose(out);
    return lines;
}

std::vector<std::string> Split(const std::string& text, char at)
{
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == at) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

std::u32string FromUtf8(const std::string& text)
{
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (int k = 1; k < n && i + k < text.size(); ++k) cp = (cp << 6) | (text[i + k] & 0x3F);
        out += cp;
        i += n;
    }
    return out;
}

// "zhǎng" -> "zhang", "lǜ" -> "lv"; marks may come precomposed or combining.
// Empty for anything this does not know, so that a new spelling in the
// source shows as a difference instead of passing unseen.
std::string Toneless(const std::string& reading)
{
    static const std::u32string marked = U"āáǎàēéěèêếềīíǐìōóǒòūúǔùǖǘǚǜüńňǹḿ";
    static const std::string plain = "aaaaeeeeeeeiiiioooouuuuvvvvvnnnm";
    std::string out;
    for (char32_t c : FromUtf8(reading)) {
        const size_t at = marked.find(c);
        if (c >= 'a' && c <= 'z') out += static_cast<char>(c);
        else if (at != std::u32string::npos) out += plain[at];
        else if (c == 0x308 && !out.empty() && out.back() == 'u') out.back() = 'v';
        else if (c != 0x300 && c != 0x301 && c != 0x302 && c != 0x304 && c != 0x30C) return std::string();
    }
    return out;
}

TEST(PinyinTable, AgreesWithTheUnicodeHanDatabase)
{
    if (FILE* f = std::fopen(kReadings, "rb")) std::fclose(f);
    else GTEST_SKIP() << kReadings << " is missing (Debian's unicode-data package)";

    std::map<char32_t, std::set<std::string>> readings;
    std::string version;
    for (const std::string& line : CommandLines(std::string("bzip2 -dc ") + kReadings)) {
        if (line.rfind("# Unicode version: ", 0) == 0) version = line.substr(19);
        const std::vector<std::string> f = Split(line, '\t');
        if (f.size() != 3 || (f[1] != "kMandarin" && f[1] != "kTGHZ2013" && f[1] != "kXHC1983")) continue;
        const auto code = static_cast<char32_t>(std::stoul(f[0].substr(2), nullptr, 16));
        for (const std::string& token : Split(f[2], ' '))
            for (const std::string& r : Split(token.substr(token.find(':') + 1), ','))
                readings[code].insert(Toneless(r));
    }
    ASSERT_FALSE(version.empty());
    ASSERT_NE(std::strstr(PinyinTableSource(), ("Unicode " + version + ",").c_str()), nullptr)
        << "the table was made from " << PinyinTableSource() << ", this machine has Unicode " << version
        << ": run catalogue/pinyin/make_table.py";

    std::map<char32_t, char32_t> canonical;
    for (const std::string& line : CommandLines(std::string("cat ") + kUnicodeData)) {
        const std::vector<std::string> f = Split(line, ';');
        if (f.size() > 5 && f[1].rfind("CJK COMPATIBILITY IDEOGRAPH", 0) == 0 && !f[5].empty() &&
            f[5].find(' ') == std::string::npos)
            canonical[static_cast<char32_t>(std::stoul(f[0], nullptr, 16))] =
                static_cast<char32_t>(std::stoul(f[5], nullptr, 16));
    }
    ASSERT_FALSE(canonical.empty());

    iconv_t gbk = iconv_open("UTF-32LE", "GBK");
    ASSERT_NE(gbk, reinterpret_cast<iconv_t>(-1));
    int compared = 0, polyphonic = 0, compatibility = 0, differences = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            char32_t cp = 0;
            char* from = in;
            char* to = reinterpret_cast<char*>(&cp);
            size_t inLeft = 2, outLeft = sizeof cp;
            iconv(gbk, nullptr, nullptr, nullptr, nullptr);
            const bool decoded = trail != 0x7F && iconv(gbk, &from, &inLeft, &to, &outLeft) != static_cast<size_t>(-1);
            std::set<std::string> want;
            if (decoded) {
                const auto c = canonical.find(cp);
                compatibility += c != canonical.end() && readings.count(c->second);
                const auto r = readings.find(c != canonical.end() ? c->second : cp);
                if (r != readings.end()) want = r->second;
            }
            uint16_t ids[kMaxPinyinReadings];
            const int count = PinyinReadings(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail), ids);
            std::set<std::string> got;
            for (int i = 0; i < count; ++i) got.insert(std::string(PinyinSyllable(ids[i])));
            if (got != want && ++differences <= 20)
                ADD_FAILURE() << std::hex << lead << trail << " (U+" << cp << "): the table has "
                              << testing::PrintToString(got) << ", the source " << testing::PrintToString(want);
            compared += !want.empty();
            polyphonic += want.size() > 1;
        }
    }
    iconv_close(gbk);
    EXPECT_EQ(differences, 0);
    // All of GBK's hanzi but a handful the source gives no modern reading.
    EXPECT_GT(compared, 20800);
    EXPECT_GT(polyphonic, 500);
    EXPECT_GT(compatibility, 0);
}

}  // namespace
}  // namespace orv
