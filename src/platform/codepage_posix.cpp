// The POSIX process has no ANSI code page of its own: --codepage sets one, else the locale's character set
// decides.
#include <langinfo.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <memory>
#include <string>

#include "platform/codepage.h"

namespace platform {
namespace {

std::unique_ptr<CodePage>& Current() {
    static std::unique_ptr<CodePage> current;
    return current;
}

int CodePageOfLocale() {
    std::setlocale(LC_CTYPE, "");
    std::string codeset = nl_langinfo(CODESET);
    std::setlocale(LC_CTYPE, "C");
    std::transform(codeset.begin(), codeset.end(), codeset.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    codeset.erase(std::remove(codeset.begin(), codeset.end(), '-'), codeset.end());
    codeset.erase(std::remove(codeset.begin(), codeset.end(), '_'), codeset.end());
    if (codeset == "BIG5" || codeset == "BIG5HKSCS" || codeset == "CP950") return 950;
    if (codeset == "GBK" || codeset == "GB2312" || codeset == "GB18030" || codeset == "CP936") return 936;
    if (codeset == "SHIFTJIS" || codeset == "SJIS" || codeset == "CP932") return 932;
    if (codeset == "EUCKR" || codeset == "CP949" || codeset == "UHC") return 949;
    if (codeset == "UTF8") return CodePage::kUtf8;
    return 1252;
}

}  // namespace

const CodePage& SystemCodePage() {
    auto& current = Current();
    if (!current) current = std::make_unique<CodePage>(CodePage::ForNumber(CodePageOfLocale()));
    return *current;
}

void SetSystemCodePage(int number) {
    Current() = std::make_unique<CodePage>(CodePage::ForNumber(number));
}

}  // namespace platform
