#include "platform/codepage.h"

namespace platform {
namespace {

std::array<bool, 256> LeadBytesIn(unsigned first, unsigned last, std::array<bool, 256> table = {}) {
    for (unsigned b = first; b <= last; ++b) table[b] = true;
    return table;
}

}  // namespace

CodePage CodePage::ForNumber(int number) {
    switch (number) {
        case 932:  // Shift-JIS
            return CodePage(number, LeadBytesIn(0xE0, 0xFC, LeadBytesIn(0x81, 0x9F)));
        case 936:  // GBK
        case 949:  // Unified Hangul Code
        case 950:  // Big5
            return CodePage(number, LeadBytesIn(0x81, 0xFE));
        default:
            return CodePage(number, {});
    }
}

CodePage CodePage::FromLeadBytes(int number, const std::array<bool, 256>& leadBytes) {
    return CodePage(number, leadBytes);
}

std::size_t CodePage::CharWidth(const std::string& text, std::size_t pos) const {
    if (IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) return 2;
    return 1;
}

std::size_t CodePage::Find(const std::string& text, char ch, std::size_t from) const {
    for (std::size_t pos = from; pos < text.size(); pos += CharWidth(text, pos)) {
        if (text[pos] == ch) return pos;
    }
    return std::string::npos;
}

std::size_t CodePage::FindLast(const std::string& text, char ch) const {
    std::size_t found = std::string::npos;
    for (std::size_t pos = 0; pos < text.size(); pos += CharWidth(text, pos)) {
        if (text[pos] == ch) found = pos;
    }
    return found;
}

std::string CodePage::TrimLeft(const std::string& text) const {
    // A lead byte is never a blank, so stepping byte by byte from the left is safe.
    std::size_t start = 0;
    while (start < text.size() && IsBlank(static_cast<unsigned char>(text[start]))) ++start;
    return text.substr(start);
}

std::string CodePage::TrimRight(const std::string& text) const {
    // From the right a blank may be the trail byte of a double-byte character, so walk from the start and
    // remember where the last run of single-byte blanks began.
    std::size_t keep = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t width = CharWidth(text, pos);
        pos += width;
        if (width == 2 || !IsBlank(static_cast<unsigned char>(text[pos - 1]))) keep = pos;
    }
    return text.substr(0, keep);
}

std::string CodePage::Upper(const std::string& text) const {
    std::string result = text;
    for (std::size_t pos = 0; pos < result.size();) {
        const std::size_t width = CharWidth(result, pos);
        if (width == 1 && result[pos] >= 'a' && result[pos] <= 'z')
            result[pos] = static_cast<char>(result[pos] - 'a' + 'A');
        pos += width;
    }
    return result;
}

}  // namespace platform
