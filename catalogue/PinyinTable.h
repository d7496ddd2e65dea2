// The pinyin readings of the two-byte GBK hanzi: toneless, u with diaeresis
// written v, every modern reading of a polyphonic character. The data is
// generated (catalogue/pinyin/make_table.py) and is read-only: it costs the
// program no private bytes, only the pages a search touches.
#pragma once

#include <cstdint>
#include <string_view>

namespace orv {

constexpr int kMaxPinyinReadings = 4;
// What PinyinReadings answers for a hanzi that has no modern reading in the
// source: such a character cannot be spelled.
constexpr int kHanziWithoutReading = -1;

// Writes the syllable ids of the character lead, trail and returns how many;
// 0 when it is no hanzi (a symbol, a full-width letter, a private-use code,
// or bytes that are no GBK character).
int PinyinReadings(unsigned char lead, unsigned char trail, uint16_t ids[kMaxPinyinReadings]);

// The syllable with that id, in lower case.
std::string_view PinyinSyllable(uint16_t id);

// The source the table was generated from, with its version and date.
const char* PinyinTableSource();

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

}  // namespace orv
