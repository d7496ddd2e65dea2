// Bounds-checked little-endian reading over a byte range, and the matching
// appender. A failed read leaves the cursor failed for good, so a parser can
// read a whole record and check once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orv::image {

class ByteCursor {
 public:
  ByteCursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Position() const { return pos_; }
  size_t Remaining() const { return failed_ ? 0 : size_ - pos_; }
  bool Failed() const { return failed_; }
  bool AtEnd() const { return !failed_ && pos_ == size_; }

  bool Seek(size_t position) {
    if (failed_ || position > size_) return Fail();
    pos_ = position;
    return true;
  }

  bool Skip(size_t count) {
    if (count > Remaining()) return Fail();
    pos_ += count;
    return true;
  }

  bool ReadU16(uint16_t& value) {
    if (Remaining() < 2) return Fail();
    value = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    return true;
  }

  bool ReadU32(uint32_t& value) {
    if (Remaining() < 4) return Fail();
    value = static_cast<uint32_t>(data_[pos_]) | static_cast<uint32_t>(data_[pos_ + 1]) << 8 |
            static_cast<uint32_t>(data_[pos_ + 2]) << 16 |
            static_cast<uint32_t>(data_[pos_ + 3]) << 24;
    pos_ += 4;
    return true;
  }

  bool ReadI32(int32_t& value) {
    uint32_t raw = 0;
    if (!ReadU32(raw)) return false;
    value = static_cast<int32_t>(raw);
    return true;
  }

  bool ReadBytes(size_t count, std::vector<uint8_t>& out) {
    if (count > Remaining()) return Fail();
    out.assign(data_ + pos_, data_ + pos_ + count);
    pos_ += count;
    return true;
  }

  // Reads a NUL-terminated text; the NUL is consumed but not kept.
  bool ReadText(std::string& out) {
    if (failed_) return false;
    for (size_t end = pos_; end < size_; ++end) {
      if (data_[end] == 0) {
        out.assign(reinterpret_cast<const char*>(data_ + pos_), end - pos_);
        pos_ = end + 1;
        return true;
      }
    }
    return Fail();
  }

  // Reads a count followed by that many 32-bit values. The count is checked
  // against the bytes left before anything is allocated.
  bool ReadU32Array(std::vector<uint32_t>& out) {
    uint32_t count = 0;
    if (!ReadU32(count)) return false;
    if (count > Remaining() / 4) return Fail();
    out.resize(count);
    for (uint32_t& value : out) ReadU32(value);
    return true;
  }

 private:
  bool Fail() {
    failed_ = true;
    return false;
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool failed_ = false;
};

class ByteSink {
 public:
  std::vector<uint8_t>& Bytes() { return bytes_; }
  size_t Size() const { return bytes_.size(); }

  void PutU32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
      bytes_.push_back(static_cast<uint8_t>(value >> shift));
  }
  void PutI32(int32_t value) { PutU32(static_cast<uint32_t>(value)); }
  void PutZeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }
  void PutBytes(const std::vector<uint8_t>& data) {
    bytes_.insert(bytes_.end(), data.begin(), data.end());
  }
  void PutText(const std::string& text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
  }
  void PutU32Array(const std::vector<uint32_t>& values) {
    PutU32(static_cast<uint32_t>(values.size()));
    for (uint32_t value : values) PutU32(value);
  }
  void PatchU32(size_t position, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_[position + i] = static_cast<uint8_t>(value >> (8 * i));
  }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace orv::image
