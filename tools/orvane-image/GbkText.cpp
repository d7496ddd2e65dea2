#include "GbkText.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace orv::tools {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
  std::string out;
  bool plainAscii = true;
  for (char c : gbk) plainAscii = plainAscii && static_cast<unsigned char>(c) < 0x80;
  if (plainAscii) return std::string(gbk);

  iconv_t converter = iconv_open("UTF-8", "GBK");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    // No converter installed: keep what is certain rather than fail the dump.
    for (char c : gbk)
      out += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : kReplacement;
    return out;
  }
  std::vector<char> input(gbk.begin(), gbk.end());
  char* in = input.data();
  size_t inLeft = input.size();
  char buffer[256];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t rc = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ: a bad byte; EINVAL: a lead byte cut off at the end.
    out += kReplacement;
    ++in;
    --inLeft;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(converter);
  return out;
}

}  // namespace orv::tools
