#pragma once
// Decoding of HTML character references.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace SyntaxHighlighter {

class HTMLUtils {
public:
    // The whole entity text, "&" and ";" included ("&quot;", "&#65;", "&#x1F600;"), decoded to
    // one Unicode scalar; none for an unknown name or a value that is no Unicode scalar.
    static std::optional<char32_t> decode(std::u16string_view entity);
    // The text after "&#" or "&#x", read as the C library's strtoul reads it (leading digits of
    // the base; none reads as 0), as a Unicode scalar.
    static std::optional<char32_t> decodeNumeric(std::u16string_view text, int base);
    // Named references of HTML 4.01 and "&apos;", keyed by the whole entity text.
    static const std::unordered_map<std::string, char32_t>& characterEntities();
};

} // namespace SyntaxHighlighter
