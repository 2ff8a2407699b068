#include "Markdown/Infrastructure/SourceLocation.h"

#include <cctype>
#include <functional>
#include <stdexcept>

namespace Markdown {

namespace {

void combine(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string percentDecoded(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                decoded.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        decoded.push_back(text[i]);
    }
    return decoded;
}

} // namespace

URL::URL(std::string string) : string_(std::make_shared<const std::string>(std::move(string))) {}

std::string URL::path() const {
    std::string_view rest = *string_;
    // A scheme is letters, digits, "+", "-" and "." before the first ":", starting with a letter.
    const std::size_t colon = rest.find(':');
    if (colon != std::string_view::npos && colon > 0 && std::isalpha(static_cast<unsigned char>(rest[0]))) {
        bool isScheme = true;
        for (std::size_t i = 0; i < colon; ++i) {
            const char c = rest[i];
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
                isScheme = false;
                break;
            }
        }
        if (isScheme) {
            rest.remove_prefix(colon + 1);
        }
    }
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t authorityEnd = rest.find_first_of("/?#");
        rest.remove_prefix(authorityEnd == std::string_view::npos ? rest.size() : authorityEnd);
    }
    const std::size_t pathEnd = rest.find_first_of("?#");
    if (pathEnd != std::string_view::npos) {
        rest = rest.substr(0, pathEnd);
    }
    return percentDecoded(rest);
}

std::size_t URL::hash() const {
    return std::hash<std::string>{}(*string_);
}

std::string SourceLocation::lineColumnDescription() const {
    return std::to_string(line_) + ":" + std::to_string(column_);
}

std::string SourceLocation::description() const {
    if (source_) {
        const std::string path = source_->path();
        if (!path.empty()) {
            return path + ":" + lineColumnDescription();
        }
    }
    return lineColumnDescription();
}

std::size_t SourceLocation::hash() const {
    std::size_t seed = std::hash<std::int64_t>{}(line_);
    combine(seed, std::hash<std::int64_t>{}(column_));
    if (source_) {
        combine(seed, 1);
        combine(seed, source_->hash());
    } else {
        combine(seed, 0);
    }
    return seed;
}

SourceRange::SourceRange(SourceLocation start, SourceLocation end)
    : start_(std::move(start)), end_(std::move(end)) {
    if (end_ < start_) {
        throw std::invalid_argument("SourceRange: the end " + end_.description() + " lies before the start " +
                                    start_.description());
    }
}

void SourceRange::setStart(SourceLocation start) {
    *this = SourceRange(std::move(start), end_);
}

void SourceRange::setEnd(SourceLocation end) {
    *this = SourceRange(start_, std::move(end));
}

std::string SourceRange::diagnosticDescription(bool includePath) const {
    std::string text;
    if (includePath && start_.source()) {
        const std::string path = start_.source()->path();
        if (!path.empty()) {
            text = path + ":";
        }
    }
    text += start_.lineColumnDescription();
    if (!(start_ == end_)) {
        text += "-" + end_.lineColumnDescription();
    }
    return text;
}

std::string Replacement::description() const {
    return range.diagnosticDescription(true) + ": fixit: " + replacementText;
}

} // namespace Markdown
