// A number field of a setup-script entry, read as the C library's atoi reads it: optional blanks, an
// optional sign, then the leading decimal digits; no digits give 0. A flag is on only when this reads 1.
#pragma once

#include <climits>
#include <string>

inline int EntryNumber(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    long long value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;  // saturates like the runtime's atoi
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}
