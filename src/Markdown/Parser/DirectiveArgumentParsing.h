#pragma once
// The name-value parser of a block directive's argument text: a comma-separated list of
// `name: value` pairs whose names and values may be written in double quotes. It never fails: every
// problem becomes a parse error with its source location, and parsing goes on with the rest of the
// text. Segments without a range (text built from a plain string) give arguments without ranges and
// record no error at all.

#include "Markdown/Infrastructure/DirectiveArgumentText.h"
#include "Markdown/Infrastructure/SourceLocation.h"
#include "Markdown/Parser/LineSplitting.h"

#include <optional>
#include <string>
#include <vector>

namespace Markdown {

/// One parsed argument. `name` and `value` are the literals' texts (inside the quotes for quoted ones;
/// backslashes stay); `name` is "" for an unnamed argument. Equality compares every field, the strings
/// under Unicode canonical equivalence.
struct DirectiveArgument {
    std::string name;
    std::optional<SourceRange> nameRange;
    std::string value;
    std::optional<SourceRange> valueRange;
    bool hasTrailingComma = false;

    friend bool operator==(const DirectiveArgument& a, const DirectiveArgument& b);
};

class DirectiveArgumentText::ParseError {
public:
    enum class Kind { duplicateArgument, missingExpectedCharacter, unexpectedCharacter };

    /// An argument repeats an earlier one's name; the locations are the starts of the two names.
    static ParseError duplicateArgument(std::string name, SourceLocation firstLocation,
                                        SourceLocation duplicateLocation);
    /// `character` (":", "," or the double quote) was required at `location`.
    static ParseError missingExpectedCharacter(char character, SourceLocation location);
    /// `character` stands where a name or value must begin.
    static ParseError unexpectedCharacter(char character, SourceLocation location);

    Kind kind() const { return kind_; }
    /// The repeated name (duplicateArgument); "" otherwise.
    const std::string& name() const { return name_; }
    /// The missing or unexpected character; '\0' for duplicateArgument.
    char character() const { return character_; }
    /// Where the character was expected or found; for duplicateArgument, the repeated name's start.
    const SourceLocation& location() const { return location_; }
    /// duplicateArgument only: the first occurrence's start.
    const std::optional<SourceLocation>& firstLocation() const { return firstLocation_; }

    friend bool operator==(const ParseError& a, const ParseError& b);

private:
    ParseError(Kind kind, std::string name, char character, SourceLocation location,
               std::optional<SourceLocation> firstLocation)
        : kind_(kind), name_(std::move(name)), character_(character), location_(std::move(location)),
          firstLocation_(std::move(firstLocation)) {}

    Kind kind_;
    std::string name_;
    char character_;
    SourceLocation location_;
    std::optional<SourceLocation> firstLocation_;
};

namespace DirectiveArgumentParsing {

/// The arguments of one segment, in order; appends its errors (duplicates across segments are the
/// text-level operation's business).
std::vector<DirectiveArgument>
parseNameValueArguments(const DirectiveArgumentText::LineSegment& segment,
                        std::vector<DirectiveArgumentText::ParseError>& errors);

} // namespace DirectiveArgumentParsing

} // namespace Markdown
