#include "catalogue/PinyinTable.h"

namespace orv {

int PinyinReadingsOfCell(int cell, uint16_t ids[kMaxPinyinReadings])
{
    using namespace pinyin_data;
    if (cell < 0) return 0;
    const uint16_t value = kGrid[cell];
    if (value == 0) return 0;
    if (value == kNoReading) return kHanziWithoutReading;
    if (!(value & kListFlag)) {
        ids[0] = static_cast<uint16_t>(value - 1);
        return 1;
    }
    int n = 0;
    for (const uint16_t* p = kLists + (value & ~kListFlag); n < kMaxPinyinReadings; ++p) {
        ids[n++] = static_cast<uint16_t>(*p & ~kLastInList);
        if (*p & kLastInList) break;
    }
    return n;
}

std::string_view PinyinSyllable(uint16_t id)
{
    const char* s = pinyin_data::kSyllables + static_cast<size_t>(id) * pinyin_data::kSyllableWidth;
    size_t n = 0;
    while (n < static_cast<size_t>(pinyin_data::kSyllableWidth) && s[n]) ++n;
    return std::string_view(s, n);
}

const char* PinyinTableSource() { return pinyin_data::kSource; }

}  // namespace orv
