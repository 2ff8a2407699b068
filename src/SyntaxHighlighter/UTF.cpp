#include "UTF.h"

namespace SyntaxHighlighter {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one scalar at position and advances past it; an ill-formed sequence yields U+FFFD and
// advances by its longest valid prefix (at least one byte).
char32_t decodeUtf8(std::string_view text, std::size_t& position) {
    auto byte = [&](std::size_t i) {
        return static_cast<unsigned char>(text[i]);
    };
    unsigned char lead = byte(position);
    if (lead < 0x80) {
        ++position;
        return lead;
    }
    int length = 0;
    char32_t scalar = 0;
    unsigned char lower = 0x80;
    unsigned char upper = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        scalar = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        scalar = lead & 0x0F;
        if (lead == 0xE0)
            lower = 0xA0;
        if (lead == 0xED)
            upper = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        scalar = lead & 0x07;
        if (lead == 0xF0)
            lower = 0x90;
        if (lead == 0xF4)
            upper = 0x8F;
    } else {
        ++position;
        return kReplacement;
    }
    ++position;
    for (int i = 1; i < length; ++i) {
        if (position >= text.size() || byte(position) < lower || byte(position) > upper)
            return kReplacement;
        scalar = (scalar << 6) | (byte(position) & 0x3F);
        lower = 0x80;
        upper = 0xBF;
        ++position;
    }
    return scalar;
}

void appendUtf8(std::string& out, char32_t scalar) {
    if (scalar < 0x80) {
        out += static_cast<char>(scalar);
    } else if (scalar < 0x800) {
        out += static_cast<char>(0xC0 | (scalar >> 6));
        out += static_cast<char>(0x80 | (scalar & 0x3F));
    } else if (scalar < 0x10000) {
        out += static_cast<char>(0xE0 | (scalar >> 12));
        out += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (scalar & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (scalar >> 18));
        out += static_cast<char>(0x80 | ((scalar >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (scalar & 0x3F));
    }
}

} // namespace

void appendUtf16(std::u16string& out, char32_t scalar) {
    if (scalar < 0x10000) {
        out += static_cast<char16_t>(scalar);
    } else {
        scalar -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (scalar >> 10));
        out += static_cast<char16_t>(0xDC00 + (scalar & 0x3FF));
    }
}

std::u16string utf8ToUtf16(std::string_view text) {
    // UTF-16 never needs more units than UTF-8 has bytes: write in place, then trim.
    std::u16string out(text.size(), u'\0');
    std::size_t written = 0;
    std::size_t position = 0;
    while (position < text.size()) {
        // ASCII stretches dominate source code; copy them without decoding.
        unsigned char c = static_cast<unsigned char>(text[position]);
        if (c < 0x80) {
            out[written++] = c;
            ++position;
            continue;
        }
        char32_t scalar = decodeUtf8(text, position);
        if (scalar < 0x10000) {
            out[written++] = static_cast<char16_t>(scalar);
        } else {
            scalar -= 0x10000;
            out[written++] = static_cast<char16_t>(0xD800 + (scalar >> 10));
            out[written++] = static_cast<char16_t>(0xDC00 + (scalar & 0x3FF));
        }
    }
    out.resize(written);
    return out;
}

std::u32string utf8ToUtf32(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    std::size_t position = 0;
    while (position < text.size())
        out += decodeUtf8(text, position);
    return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

} // namespace SyntaxHighlighter
