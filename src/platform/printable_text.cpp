#include "platform/printable_text.h"

namespace platform {

std::string PrintableText(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string printable;
    printable.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            printable += c;  // printable ASCII, and every byte of a multi-byte character
        } else if (c == '\n') {
            printable += "\\n";
        } else if (c == '\r') {
            printable += "\\r";
        } else if (c == '\t') {
            printable += "\\t";
        } else {
            printable += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
        }
    }
    return printable;
}

}  // namespace platform
