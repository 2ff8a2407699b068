#pragma once
// The name-value parser of a block directive's argument text: a comma-separated list of
// `name: value` pairs whose names and values may be written in double quotes. It never fails: every
// problem becomes a diagnostic and parsing goes on with the rest of the text.
//
// It works on plain views of the argument text's lines, which the document model's argument text
// records hand over; its results use line and column pairs, to which the model adds the source file.

#include "LineSplitting.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Markdown::DirectiveArgumentParsing {

// One line of argument text: the source line from its first column up to the end of this line's
// part of the text, where the argument text starts on it, and its line number (absent for text that
// did not come from a parsed document: then nothing gets a position and no diagnostic is recorded).
struct ArgumentLine {
    std::string_view untrimmedText;
    std::size_t parseIndex = 0; // byte offset into untrimmedText
    std::optional<int> lineNumber;
};

struct Argument {
    std::string name; // "" for an unnamed argument; backslashes stay in it
    std::optional<LineRange> nameRange;
    std::string value;
    std::optional<LineRange> valueRange;
    bool hasTrailingComma = false;
    friend bool operator==(const Argument&, const Argument&) = default;
};

struct Diagnostic {
    enum class Kind { duplicateArgument, missingExpectedCharacter, unexpectedCharacter };
    Kind kind;
    // duplicateArgument: the repeated name; otherwise the missing or unexpected character.
    std::string text;
    // duplicateArgument: the start of the repeated name; otherwise where the character was expected
    // or found.
    LinePosition location;
    // duplicateArgument only: the start of the first occurrence.
    LinePosition firstLocation;
    friend bool operator==(const Diagnostic&, const Diagnostic&) = default;
};

// Parses every line in order; appends the diagnostics found to `diagnostics` (what it held stays).
std::vector<Argument> parseNameValueArguments(std::span<const ArgumentLine> lines,
                                              std::vector<Diagnostic>& diagnostics);

// Whether two names or values are equal under Unicode canonical equivalence.
bool canonicallyEqual(std::string_view a, std::string_view b);
// The text in Normalization Form C: equal for canonically equivalent texts.
std::string canonicalForm(std::string_view text);

} // namespace Markdown::DirectiveArgumentParsing
