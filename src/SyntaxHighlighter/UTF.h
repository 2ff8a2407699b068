#pragma once
// Conversions between the encodings the library meets: UTF-8 from files and the script engine,
// UTF-16 in styled text. Ill-formed sequences and lone surrogates become U+FFFD.

#include <string>
#include <string_view>

namespace SyntaxHighlighter {

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);
std::u32string utf8ToUtf32(std::string_view text);
void appendUtf16(std::u16string& out, char32_t scalar);

} // namespace SyntaxHighlighter
