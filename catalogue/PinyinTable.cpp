#include "catalogue/PinyinTable.h"

namespace orv {

namespace {

int GridCell(unsigned char lead, unsigned char trail)
{
    int row;
    if (lead >= 0x81 && lead <= 0xA0) row = lead - 0x81;
    else if (lead >= 0xAA && lead <= 0xFE) row = lead - 0xAA + 32;
    else return -1;
    int column;
    if (trail >= 0x40 && trail <= 0x7E) column = trail - 0x40;
    else if (trail >= 0x80 && trail <= 0xFE) column = trail - 0x41;
    else return -1;
    return row * pinyin_data::kGridColumns + column;
}

}  // namespace

int PinyinReadings(unsigned char lead, unsigned char trail, uint16_t ids[kMaxPinyinReadings])
{
    using namespace pinyin_data;
    const int at = GridCell(lead, trail);
    if (at < 0) return 0;
    const uint16_t cell = kGrid[at];
    if (cell == 0) return 0;
    if (cell == kNoReading) return kHanziWithoutReading;
    if (!(cell & kListFlag)) {
        ids[0] = static_cast<uint16_t>(cell - 1);
        return 1;
    }
    int n = 0;
    for (const uint16_t* p = kLists + (cell & ~kListFlag); n < kMaxPinyinReadings; ++p) {
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
