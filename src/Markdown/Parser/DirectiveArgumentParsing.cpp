#include "DirectiveArgumentParsing.h"

#include "Graphemes.h"
#include "Markdown/Infrastructure/CanonicalEquivalence.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <unordered_map>

namespace Markdown {

namespace {

using Lex = TrimmedLine::Lex;
using ParseError = DirectiveArgumentText::ParseError;
using Segment = DirectiveArgumentText::LineSegment;

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

void recordMissing(std::vector<ParseError>& errors, char character,
                   const std::optional<SourceLocation>& location) {
    if (location) {
        errors.push_back(ParseError::missingExpectedCharacter(character, *location));
    }
}

// Requires the remaining text to start with a double quote.
std::optional<Lex> parseQuotedLiteral(TrimmedLine& line, std::vector<ParseError>& errors) {
    line.take(1);
    const std::size_t count = countUnescaped(line.remaining(), [](std::string_view c) { return c == "\""; });
    std::optional<Lex> content = line.take(count, true);
    if (startsWith(line, "\"")) {
        line.take(1);
    } else {
        recordMissing(errors, '"', line.location());
    }
    return content;
}

std::optional<Lex> parseLiteral(TrimmedLine& line, std::vector<ParseError>& errors) {
    return startsWith(line, "\"") ? parseQuotedLiteral(line, errors) : parseUnquotedLiteral(line);
}

// After a missing literal: reports and takes leading commas, then skips to the next comma.
void recover(TrimmedLine& line, std::vector<ParseError>& errors) {
    while (startsWith(line, ",")) {
        line.take(1);
        if (const std::optional<SourceLocation> location = line.location()) {
            errors.push_back(ParseError::unexpectedCharacter(',', *location));
        }
    }
    line.lex(",");
}

// The segment as a line being lexed: numbered and with the source of its range's start, so that
// positions on it are source locations.
TrimmedLine lineOf(const Segment& segment) {
    if (!segment.range()) {
        return TrimmedLine(segment.untrimmedText(), std::nullopt, segment.parseIndex());
    }
    const SourceLocation& start = segment.range()->start();
    return TrimmedLine(segment.untrimmedText(), static_cast<int>(start.line()), segment.parseIndex(),
                       start.source());
}

} // namespace

namespace DirectiveArgumentParsing {

std::vector<DirectiveArgument> parseNameValueArguments(const Segment& segment,
                                                       std::vector<ParseError>& errors) {
    std::vector<DirectiveArgument> arguments;
    TrimmedLine line = lineOf(segment);
    line.lexWhitespace();
    while (!isBlankOnly(line.remaining())) {
        line.lexWhitespace();
        const std::optional<Lex> literal = parseLiteral(line, errors);
        if (!literal) {
            recover(line, errors);
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
                recordMissing(errors, ':', line.location());
            }
            line.lexWhitespace();
            value = parseLiteral(line, errors);
            if (!value) {
                recover(line, errors);
                continue;
            }
        }
        DirectiveArgument argument;
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

} // namespace DirectiveArgumentParsing

namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

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

} // namespace

bool operator==(const DirectiveArgument& a, const DirectiveArgument& b) {
    return a.nameRange == b.nameRange && a.valueRange == b.valueRange &&
           a.hasTrailingComma == b.hasTrailingComma && canonicallyEqual(a.name, b.name) &&
           canonicallyEqual(a.value, b.value);
}

ParseError ParseError::duplicateArgument(std::string name, SourceLocation firstLocation,
                                         SourceLocation duplicateLocation) {
    return ParseError(Kind::duplicateArgument, std::move(name), '\0', std::move(duplicateLocation),
                      std::move(firstLocation));
}

ParseError ParseError::missingExpectedCharacter(char character, SourceLocation location) {
    return ParseError(Kind::missingExpectedCharacter, {}, character, std::move(location), std::nullopt);
}

ParseError ParseError::unexpectedCharacter(char character, SourceLocation location) {
    return ParseError(Kind::unexpectedCharacter, {}, character, std::move(location), std::nullopt);
}

bool operator==(const ParseError& a, const ParseError& b) {
    return a.kind_ == b.kind_ && a.character_ == b.character_ && a.location_ == b.location_ &&
           a.firstLocation_ == b.firstLocation_ && canonicallyEqual(a.name_, b.name_);
}

std::vector<DirectiveArgument>
DirectiveArgumentText::parseNameValueArguments(std::vector<ParseError>& errors) const {
    std::vector<DirectiveArgument> result;
    std::unordered_map<std::string, std::size_t> firstByName; // canonical name -> index in result
    for (const Segment& segment : segments) {
        for (DirectiveArgument& argument :
             DirectiveArgumentParsing::parseNameValueArguments(segment, errors)) {
            const auto [first, isFirst] =
                firstByName.try_emplace(canonicalForm(argument.name), result.size());
            if (!isFirst && result[first->second].nameRange && argument.nameRange) {
                errors.push_back(ParseError::duplicateArgument(
                    argument.name, result[first->second].nameRange->start(), argument.nameRange->start()));
            }
            result.push_back(std::move(argument));
        }
    }
    if (result.size() > 1) {
        for (std::size_t i = 0; i + 1 < result.size(); ++i) {
            if (!result[i].hasTrailingComma && result[i].valueRange) {
                errors.push_back(ParseError::missingExpectedCharacter(',', result[i].valueRange->end()));
            }
        }
    }
    return result;
}

std::vector<DirectiveArgument> DirectiveArgumentText::parseNameValueArguments() const {
    std::vector<ParseError> discarded;
    return parseNameValueArguments(discarded);
}

} // namespace Markdown
