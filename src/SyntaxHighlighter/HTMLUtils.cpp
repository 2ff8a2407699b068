#include "HTMLUtils.h"

#include <cerrno>
#include <cstdlib>

namespace SyntaxHighlighter {
namespace {

bool isScalarValue(unsigned long long value) {
    return value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
}

bool startsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace

std::optional<char32_t> HTMLUtils::decode(std::u16string_view entity) {
    if (startsWith(entity, u"&#x") || startsWith(entity, u"&#X"))
        return decodeNumeric(entity.substr(3), 16);
    if (startsWith(entity, u"&#"))
        return decodeNumeric(entity.substr(2), 10);
    std::string key;
    key.reserve(entity.size());
    for (char16_t unit : entity) {
        if (unit >= 0x80)
            return std::nullopt;
        key += static_cast<char>(unit);
    }
    const auto& table = characterEntities();
    auto it = table.find(key);
    if (it == table.end())
        return std::nullopt;
    return it->second;
}

std::optional<char32_t> HTMLUtils::decodeNumeric(std::u16string_view text, int base) {
    // strtoul stops at the first character outside the base; anything outside ASCII does too.
    std::string ascii;
    ascii.reserve(text.size());
    for (char16_t unit : text) {
        if (unit == 0 || unit >= 0x80)
            break;
        ascii += static_cast<char>(unit);
    }
    errno = 0;
    unsigned long long value = std::strtoull(ascii.c_str(), nullptr, base);
    if (errno == ERANGE || !isScalarValue(value))
        return std::nullopt;
    return static_cast<char32_t>(value);
}

} // namespace SyntaxHighlighter
