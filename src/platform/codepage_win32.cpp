// The process's ANSI code page as the system reports it (UTF-8 under the program's manifest); --codepage
// puts another one in its place.
#include "platform/windows_headers_win32.h"

#include <memory>

#include "platform/codepage.h"

namespace platform {
namespace {

std::unique_ptr<CodePage>& Current() {
    static std::unique_ptr<CodePage> current;
    return current;
}

// The system's own lead-byte table where it knows the code page, else the built-in one.
CodePage CodePageFromSystem(UINT number) {
    if (!::IsValidCodePage(number)) return CodePage::ForNumber(static_cast<int>(number));
    std::array<bool, 256> leadBytes{};
    for (unsigned byte = 0; byte < leadBytes.size(); ++byte)
        leadBytes[byte] = ::IsDBCSLeadByteEx(number, static_cast<BYTE>(byte)) != FALSE;
    return CodePage::FromLeadBytes(static_cast<int>(number), leadBytes);
}

}  // namespace

const CodePage& SystemCodePage() {
    auto& current = Current();
    if (!current) current = std::make_unique<CodePage>(CodePageFromSystem(::GetACP()));
    return *current;
}

void SetSystemCodePage(int number) {
    Current() = std::make_unique<CodePage>(CodePageFromSystem(static_cast<UINT>(number)));
}

}  // namespace platform
