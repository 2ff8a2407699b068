#include "DirectiveArgumentParsing.h"

#include "Graphemes.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <unordered_map>

namespace Markdown::DirectiveArgumentParsing {

namespace {

using Lex = TrimmedLine::Lex;

std::string_view firstCharacter(std::string_view text) {
    return text.empty() ? text : text.substr(0, Graphemes::nextBoundary(text, 0));
}

bool startsWith(const TrimmedLine& line, std::string_view character) {
    return firstCharacter(line.remaining()) == character;
}

bool isBlankOnly(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// Counts characters from the start of the remaining text up to the first unescaped character that
// `stops`; a backslash escapes the character after it, and both are counted.
template <typename Stops> std::size_t countUnescaped(std::string_view rest, Stops stops) {
    std::size_t count = 0;
    bool escaped = false;
    for (std::size_t offset = 0; offset < rest.size();) {
        const std::size_t next = Graphemes::nextBoundary(rest, offset);
        const std::string_view character = rest.substr(offset, next - offset);
        if (!escaped && stops(character)) {
            break;
        }
        escaped = !escaped && character == "\\";
        ++count;
        offset = next;
    }
    return count;
}

std::optional<Lex> parseUnquotedLiteral(TrimmedLine& line) {
    const std::size_t count = countUnescaped(line.remaining(), [](std::string_view c) {
        return c == "," || c == " " || c == ":" || c == ")" || c == "{";
    });
    return count > 0 ? line.take(count) : std::nullopt;
}

void record(std::vector<Diagnostic>& diagnostics, Diagnostic::Kind kind, std::string_view text,
            const std::optional<LinePosition>& location) {
    if (location) {
        diagnostics.push_back({kind, std::string(text), *location, {}});
    }
}

// Requires the remaining text to start with a double quote.
std::optional<Lex> parseQuotedLiteral(TrimmedLine& line, std::vector<Diagnostic>& diagnostics) {
    line.take(1);
    const std::size_t count = countUnescaped(line.remaining(), [](std::string_view c) { return c == "\""; });
    std::optional<Lex> content = line.take(count, true);
    if (startsWith(line, "\"")) {
        line.take(1);
    } else {
        record(diagnostics, Diagnostic::Kind::missingExpectedCharacter, "\"", line.location());
    }
    return content;
}

std::optional<Lex> parseLiteral(TrimmedLine& line, std::vector<Diagnostic>& diagnostics) {
    return startsWith(line, "\"") ? parseQuotedLiteral(line, diagnostics) : parseUnquotedLiteral(line);
}

// After a missing literal: reports and takes leading commas, then skips to the next comma.
void recover(TrimmedLine& line, std::vector<Diagnostic>& diagnostics) {
    while (startsWith(line, ",")) {
        line.take(1);
        record(diagnostics, Diagnostic::Kind::unexpectedCharacter, ",", line.location());
    }
    line.lex(",");
}

std::vector<Argument> parseLine(const ArgumentLine& segment, std::vector<Diagnostic>& diagnostics) {
    std::vector<Argument> arguments;
    TrimmedLine line(segment.untrimmedText, segment.lineNumber, segment.parseIndex);
    line.lexWhitespace();
    while (!isBlankOnly(line.remaining())) {
        line.lexWhitespace();
        const std::optional<Lex> literal = parseLiteral(line, diagnostics);
        if (!literal) {
            recover(line, diagnostics);
            continue;
        }
        std::optional<Lex> name;
        std::optional<Lex> value;
        if (arguments.empty() && (isBlankOnly(line.remaining()) || startsWith(line, ","))) {
            value = literal;
        } else {
            name = literal;
            if (startsWith(line, ":")) {
                line.take(1);
            } else {
                record(diagnostics, Diagnostic::Kind::missingExpectedCharacter, ":", line.location());
            }
            line.lexWhitespace();
            value = parseLiteral(line, diagnostics);
            if (!value) {
                recover(line, diagnostics);
                continue;
            }
        }
        Argument argument;
        if (name) {
            argument.name = std::string(name->text);
            argument.nameRange = name->range;
        }
        argument.value = std::string(value->text);
        argument.valueRange = value->range;
        line.lexWhitespace();
        if (startsWith(line, ",")) {
            line.take(1);
            argument.hasTrailingComma = true;
        }
        arguments.push_back(std::move(argument));
        line.lexWhitespace();
    }
    return arguments;
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::string canonicalForm(std::string_view text) {
    if (isAscii(text)) {
        return std::string(text);
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) {
        return std::string(text);
    }
    const icu::UnicodeString normalized = nfc->normalize(icu::UnicodeString::fromUTF8(text), status);
    if (U_FAILURE(status)) {
        return std::string(text);
    }
    std::string result;
    normalized.toUTF8String(result);
    return result;
}

bool canonicallyEqual(std::string_view a, std::string_view b) {
    return a == b || (!(isAscii(a) && isAscii(b)) && canonicalForm(a) == canonicalForm(b));
}

std::vector<Argument> parseNameValueArguments(std::span<const ArgumentLine> lines,
                                              std::vector<Diagnostic>& diagnostics) {
    std::vector<Argument> result;
    std::unordered_map<std::string, std::size_t> firstByName; // canonical name -> index in result
    for (const ArgumentLine& line : lines) {
        for (Argument& argument : parseLine(line, diagnostics)) {
            const auto [first, isFirst] =
                firstByName.try_emplace(canonicalForm(argument.name), result.size());
            if (!isFirst && result[first->second].nameRange && argument.nameRange) {
                diagnostics.push_back({Diagnostic::Kind::duplicateArgument, argument.name,
                                       argument.nameRange->lower, result[first->second].nameRange->lower});
            }
            result.push_back(std::move(argument));
        }
    }
    if (result.size() > 1) {
        for (std::size_t i = 0; i + 1 < result.size(); ++i) {
            if (!result[i].hasTrailingComma && result[i].valueRange) {
                record(diagnostics, Diagnostic::Kind::missingExpectedCharacter, ",",
                       result[i].valueRange->upper);
            }
        }
    }
    return result;
}

} // namespace Markdown::DirectiveArgumentParsing
