#include "app/LinkText.h"

namespace orv {

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty()) return std::string(text);
    std::string out;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(from, start);
        if (at == std::string_view::npos) break;
        out.append(text.substr(start, at - start));
        out.append(to);
        start = at + from.size();
    }
    out.append(text.substr(start));
    return out;
}

std::string BuildChatLink(std::string_view linkTemplate, std::string_view contactNumber)
{
    return ReplaceAll(linkTemplate, "#qq", contactNumber);
}

std::string BuildScoreSearchAddress(std::string_view prefix, std::string_view keyword)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out(prefix);
    for (char ch : keyword) {
        auto c = static_cast<unsigned char>(ch);
        // GBK trail bytes start at 0x40, so none of these bytes can be the
        // second half of a Chinese character.
        if (c == '&' || c == '#' || c == '%' || c == '+' || c < 0x20 || c == 0x7F) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

}  // namespace orv
