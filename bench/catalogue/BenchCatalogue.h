// Realistic catalogue entries for the fill benchmarks: GBK song names with
// the key the way users type it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace orv::bench {

inline std::vector<std::string> MakeEntries(int count)
{
    static const char* const kNames[] = {"晴天", "稻香", "青花瓷", "后来", "童话", "十年", "小幸运", "演员",
                                         "夜曲", "告白气球", "七里香", "光年之外", "平凡之路", "成都", "父亲",
                                         "Yesterday", "Let It Be", "月亮代表我的心"};
    static const char* const kKeys[] = {"C调", "G调", "D调", "降B调", "#F调", "Eb", "A调", "F调", "bE调", "E调"};
    std::vector<std::string> entries;
    entries.reserve(static_cast<size_t>(count));
    unsigned seed = 2026;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        std::string e = kNames[(seed >> 8) % 18];
        e += ' ';
        e += std::to_string(i);
        e += ' ';
        e += kKeys[(seed >> 16) % 10];
        if ((seed >> 4) % 3 == 0) e += " 现场版";
        entries.push_back(e);
    }
    return entries;
}

inline double NowMs()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

inline double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// About 50 MB of catalogue: the hostile-input size of the reliability run.
constexpr int kBigEntries = 2400000;

// The entries that contain the search benchmark's keyword: about a tenth.
constexpr const char* kSearchKeyword = "G调";

// One title of the eighteen, found by its name and by its pinyin initials:
// the two searches list the same entries, about one in eighteen.
constexpr const char* kTitleKeyword = "青花瓷";
constexpr const char* kPinyinKeyword = "qhc";

}  // namespace orv::bench
