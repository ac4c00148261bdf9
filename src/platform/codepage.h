// Byte strings in the process's ANSI code page: the few text operations the installer needs, each stepping
// over double-byte characters whole so that a trail byte is never taken for a single-byte character.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace platform {

class CodePage {
  public:
    static constexpr int kUtf8 = 65001;

    // The built-in lead-byte tables of 932, 936, 949 and 950; any other number (UTF-8, 1252, ...) has
    // no double-byte characters.
    static CodePage ForNumber(int number);
    // A code page whose lead bytes are given by the caller (the Win32 backend asks the system).
    static CodePage FromLeadBytes(int number, const std::array<bool, 256>& leadBytes);

    int Number() const { return number_; }
    bool IsLeadByte(unsigned char byte) const { return leadBytes_[byte]; }

    // Width in bytes of the character that starts at pos (1 or 2; 1 for a lead byte that ends the text).
    std::size_t CharWidth(const std::string& text, std::size_t pos) const;

    // Position of the first / last single-byte character equal to ch, or npos.
    std::size_t Find(const std::string& text, char ch, std::size_t from = 0) const;
    std::size_t FindLast(const std::string& text, char ch) const;

    std::string TrimLeft(const std::string& text) const;
    std::string TrimRight(const std::string& text) const;
    std::string Trim(const std::string& text) const { return TrimLeft(TrimRight(text)); }

    // Upper-cases the ASCII letters and leaves every double-byte character as it stands.
    std::string Upper(const std::string& text) const;

    // Blanks are the space and 0x09 to 0x0D; a byte of a double-byte character is never one.
    static bool IsBlank(unsigned char byte) { return byte == ' ' || (byte >= 0x09 && byte <= 0x0D); }

  private:
    CodePage(int number, const std::array<bool, 256>& leadBytes) : number_(number), leadBytes_(leadBytes) {}

    int number_;
    std::array<bool, 256> leadBytes_;
};

// The code page of this process: the Win32 backend asks the system, the POSIX backend takes the number set
// with SetSystemCodePage (from --codepage) or else derives it from the locale.
const CodePage& SystemCodePage();
void SetSystemCodePage(int number);

}  // namespace platform
