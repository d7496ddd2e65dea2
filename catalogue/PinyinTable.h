// The pinyin readings of the two-byte GBK hanzi: toneless, u with diaeresis
// written v, every modern reading of a polyphonic character. The data is
// generated (catalogue/pinyin/make_table.py) and is read-only: it costs the
// program no private bytes, only the pages a search touches.
#pragma once

#include <cstdint>
#include <string_view>

namespace orv {

namespace pinyin_data {

// A grid cell per GBK code: the lead bytes 81..A0 and AA..FE (A1..A9 hold
// symbols only), the trail bytes 40..FE but 7F.
constexpr int kGridRows = 32 + (0xFE - 0xAA + 1);
constexpr int kGridColumns = 190;
constexpr int kSyllableWidth = 6;  // "zhuang"
// A cell is 0 (no hanzi), kNoReading, a syllable id + 1, or kListFlag plus
// the offset of the character's readings in kLists, the last of them marked
// with kLastInList.
constexpr uint16_t kNoReading = 0xFFFF;
constexpr uint16_t kListFlag = 0x8000;
constexpr uint16_t kLastInList = 0x8000;

extern const char kSource[];
extern const char kSyllables[];
extern const uint16_t kGrid[kGridRows * kGridColumns];
extern const uint16_t kLists[];

}  // namespace pinyin_data

constexpr int kMaxPinyinReadings = 4;
// What the readings are for a hanzi that has no modern reading in the
// source: such a character cannot be spelled.
constexpr int kHanziWithoutReading = -1;

// Cells 0 .. kPinyinCells - 1, one per two-byte code that may be a hanzi.
constexpr int kPinyinCells = pinyin_data::kGridRows * pinyin_data::kGridColumns;

// The cell of the character lead, trail; -1 for codes that hold no hanzi.
inline int PinyinCell(unsigned char lead, unsigned char trail)
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

// Writes the syllable ids of a cell's character and returns how many; 0 when
// it is no hanzi (a symbol, a full-width letter, a private-use code, bytes
// that are no GBK character) or the cell is -1.
int PinyinReadingsOfCell(int cell, uint16_t ids[kMaxPinyinReadings]);

inline int PinyinReadings(unsigned char lead, unsigned char trail, uint16_t ids[kMaxPinyinReadings])
{
    return PinyinReadingsOfCell(PinyinCell(lead, trail), ids);
}

// The syllable with that id, in lower case.
std::string_view PinyinSyllable(uint16_t id);

// The source the table was generated from, with its version and date.
const char* PinyinTableSource();

}  // namespace orv
