#include "platform/wide_text_win32.h"

#include "platform/windows_headers_win32.h"

namespace platform {
namespace {

bool Decode(UINT codePage, DWORD flags, const std::string& text, std::wstring& wide) {
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (length <= 0) return false;
    wide.resize(static_cast<std::size_t>(length));
    return ::MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), length) == length;
}

}  // namespace

std::wstring WideFromText(const std::string& text) {
    std::wstring wide;
    if (text.empty()) return wide;
    if (Decode(CP_UTF8, MB_ERR_INVALID_CHARS, text, wide)) return wide;
    if (Decode(CP_ACP, 0, text, wide)) return wide;
    wide.clear();
    for (unsigned char byte : text) wide.push_back(byte);  // no decoder took it: one character per byte
    return wide;
}

std::string TextFromWide(const std::wstring& wide) {
    std::string text;
    if (wide.empty()) return text;
    const int size = static_cast<int>(wide.size());
    const int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return text;
    text.resize(static_cast<std::size_t>(length));
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

}  // namespace platform
