#include "InputGuards.h"

#include "CmarkCompat.h"

#include <cstdint>
#include <cstring>

namespace Markdown::CmarkCompat {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// Length of the well-formed UTF-8 sequence at `i`, or 0 when none starts there; `invalidLength`
// receives the length of the maximal invalid subpart in that case.
int wellFormedLength(std::string_view text, std::size_t i, int& invalidLength) {
    const auto byte = [&](std::size_t k) {
        return static_cast<std::uint8_t>(text[k]);
    };
    const std::uint8_t lead = byte(i);
    invalidLength = 1;
    if (lead < 0x80) {
        return 1;
    }
    int length = 0;
    std::uint8_t low = 0x80, high = 0xBF; // allowed range of the first continuation byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) {
            low = 0xA0;
        } else if (lead == 0xED) {
            high = 0x9F;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F;
        }
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        if (i + k >= text.size()) {
            invalidLength = k;
            return 0;
        }
        const std::uint8_t next = byte(i + k);
        const bool fits = k == 1 ? (next >= low && next <= high) : (next >= 0x80 && next <= 0xBF);
        if (!fits) {
            invalidLength = k;
            return 0;
        }
    }
    return length;
}

// Drops what block quotes and list items put before a table row: blanks, ">", bullets and numbers.
std::string_view stripContainerPrefix(std::string_view line) {
    for (;;) {
        std::size_t i = 0;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '>')) {
            ++i;
        }
        line.remove_prefix(i);
        std::size_t marker = 0;
        if (!line.empty() && (line[0] == '*' || line[0] == '+' || line[0] == '-')) {
            marker = 1;
        } else {
            while (marker < line.size() && marker < 9 && line[marker] >= '0' && line[marker] <= '9') {
                ++marker;
            }
            if (marker == 0 || marker >= line.size() || (line[marker] != '.' && line[marker] != ')')) {
                return line;
            }
            ++marker;
        }
        if (marker >= line.size() || (line[marker] != ' ' && line[marker] != '\t')) {
            return line;
        }
        line.remove_prefix(marker);
    }
}

bool isDelimiterRow(std::string_view line) {
    line = stripContainerPrefix(line);
    bool pipe = false, dash = false;
    for (char c : line) {
        if (c == '|') {
            pipe = true;
        } else if (c == '-') {
            dash = true;
        } else if (c != ':' && c != ' ' && c != '\t' && c != '\r') {
            return false;
        }
    }
    return pipe && dash;
}

// Pipes are rare in most text, so jumping between them beats looking at every byte.
long countPipes(std::string_view line) {
    long count = 0;
    const char* at = line.data();
    const char* const end = at + line.size();
    while ((at = static_cast<const char*>(std::memchr(at, '|', static_cast<std::size_t>(end - at))))) {
        ++count;
        ++at;
    }
    return count;
}

bool isBlank(std::string_view line) {
    for (char c : stripContainerPrefix(line)) {
        if (c != '\r') {
            return false;
        }
    }
    return true;
}

} // namespace

namespace {

// The offset of the first ill-formed sequence at or after `i`, or the text's size when there is none;
// `invalidLength` receives the length of its maximal invalid subpart.
std::size_t findInvalidUtf8(std::string_view text, std::size_t i, int& invalidLength) {
    while (i < text.size()) {
        // Skip ASCII eight bytes at a time.
        while (i + 8 <= text.size()) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, sizeof word);
            if (word & 0x8080808080808080ULL) {
                break;
            }
            i += 8;
        }
        if (i >= text.size()) {
            break;
        }
        const int length = wellFormedLength(text, i, invalidLength);
        if (length == 0) {
            return i;
        }
        i += length;
    }
    return text.size();
}

} // namespace

bool hasInvalidUtf8(std::string_view text) {
    int invalidLength = 0;
    return findInvalidUtf8(text, 0, invalidLength) < text.size();
}

std::string replaceInvalidUtf8(std::string_view text, int& replacements) {
    replacements = 0;
    std::string result;
    std::size_t copiedUpTo = 0;
    int invalidLength = 0;
    for (std::size_t i = findInvalidUtf8(text, 0, invalidLength); i < text.size();
         i = findInvalidUtf8(text, i, invalidLength)) {
        if (replacements == 0) {
            result.reserve(text.size() + 16);
        }
        result.append(text.substr(copiedUpTo, i - copiedUpTo));
        result.append(kReplacementCharacter);
        ++replacements;
        i += invalidLength;
        copiedUpTo = i;
    }
    if (replacements == 0) {
        return std::string(text);
    }
    result.append(text.substr(copiedUpTo));
    return result;
}

bool tableCostExceedsBound(std::string_view text) {
    // Lines are visited once; a delimiter row opens a table whose rows run to the next blank line.
    long long widthCost = 0; // sum of the squared pipe counts of every table line
    long pendingColumns = 0; // columns of the table whose rows are being counted
    long rows = 0;
    long previousPipes = 0;
    std::size_t start = 0;
    for (;;) {
        if (pendingColumns == 0) {
            // Outside a table only lines with pipes count: go straight to the next one.
            const std::size_t pipe = text.find('|', start);
            if (pipe == std::string_view::npos) {
                return false;
            }
            const std::size_t lineBreak = text.rfind('\n', pipe);
            if (lineBreak != std::string_view::npos && lineBreak >= start) {
                start = lineBreak + 1;
                previousPipes = 0;
            }
        }
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(start, end - start);
        const long pipes = countPipes(line);
        if (pipes > kMaxTableColumns) {
            return true;
        }
        if (pendingColumns > 0) {
            if (isBlank(line)) {
                pendingColumns = 0;
            } else {
                widthCost += static_cast<long long>(pipes) * pipes;
                if (++rows * pendingColumns > kMaxTableCells) {
                    return true;
                }
            }
        }
        if (pendingColumns == 0 && pipes > 0 && isDelimiterRow(line)) {
            pendingColumns = pipes + 1;
            rows = 2; // the header and the delimiter row
            widthCost +=
                static_cast<long long>(previousPipes) * previousPipes + static_cast<long long>(pipes) * pipes;
        }
        if (widthCost > kMaxTableWidthCost) {
            return true;
        }
        previousPipes = pipes;
        if (end == text.size()) {
            return false;
        }
        start = end + 1;
    }
}

} // namespace Markdown::CmarkCompat
