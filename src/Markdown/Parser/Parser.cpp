#include "Parser.h"

#include "CmarkConversion.h"
#include "ContainerConversion.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace Markdown {

namespace {

void appendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

// UTF-16 after its byte-order mark; an unpaired surrogate (or a trailing odd byte) becomes U+FFFD.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    auto unit = [&](std::size_t i) -> char16_t {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
    };
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const char16_t high = unit(i);
        if (high >= 0xD800 && high <= 0xDBFF && i + 3 < bytes.size()) {
            const char16_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        appendUtf8(out, high >= 0xD800 && high <= 0xDFFF ? U'\uFFFD' : high);
    }
    if (i < bytes.size()) {
        appendUtf8(out, U'\uFFFD');
    }
    return out;
}

// The file's text: UTF-16 when it starts with a UTF-16 byte-order mark, otherwise UTF-8 (a UTF-8
// byte-order mark is dropped).
std::string decodedText(const std::string& bytes) {
    const std::string_view view(bytes);
    if (view.starts_with("\xEF\xBB\xBF")) {
        return bytes.substr(3);
    }
    if (view.starts_with("\xFF\xFE")) {
        return utf16ToUtf8(view.substr(2), false);
    }
    if (view.starts_with("\xFE\xFF")) {
        return utf16ToUtf8(view.substr(2), true);
    }
    return bytes;
}

} // namespace

Document MarkupParser::parseString(std::string_view text, const std::optional<URL>& source,
                                   ParseOptions options) {
    return Document(MarkupData::newRoot(parseIntoRawTree(text, source, options)));
}

Document Document::parsing(std::string_view text, const std::optional<URL>& source, ParseOptions options) {
    if (options.contains(ParseOptions::parseBlockDirectives)) {
        return parsingBlockDirectives(text, source, options);
    }
    return MarkupParser::parseString(text, source, options);
}

Document Document::parsing(std::string_view text, ParseOptions options) {
    return parsing(text, std::nullopt, options);
}

Document Document::parsing(const URL& file, ParseOptions options) {
    const std::string path = file.path();
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        throw std::system_error(EISDIR, std::generic_category(), "Cannot read " + path);
    }
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        throw std::system_error(errno ? errno : ENOENT, std::generic_category(), "Cannot read " + path);
    }
    const std::string bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    if (stream.bad()) {
        throw std::system_error(EIO, std::generic_category(), "Cannot read " + path);
    }
    return parsing(decodedText(bytes), file, options);
}

} // namespace Markdown
