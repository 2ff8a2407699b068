#pragma once
// Styled text as plain values: a UTF-16 string with runs of colour and font attributes.

#include "Font.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SyntaxHighlighter {

// An sRGB colour with components from 0 to 1.
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    static Color white() { return {1, 1, 1, 1}; }
    static Color black() { return {0, 0, 0, 1}; }
    static Color grey() { return {0.5, 0.5, 0.5, 1}; }

    bool operator==(const Color&) const = default;
};

// The attributes of one character; an absent value means "not set".
struct TextAttributes {
    std::optional<Color> foreground;
    std::optional<Color> background;
    std::optional<Font> font;

    bool empty() const { return !foreground && !background && !font; }
    bool operator==(const TextAttributes&) const = default;
};

// A range of UTF-16 code units.
struct Range {
    std::size_t location = 0;
    std::size_t length = 0;

    std::size_t end() const { return location + length; }
    bool operator==(const Range&) const = default;
};

// UTF-16 text with attribute runs that cover it exactly, in order, adjacent runs never equal.
class StyledText {
public:
    struct Run {
        Range range;
        TextAttributes attributes;

        bool operator==(const Run&) const = default;
    };

    StyledText() = default;
    StyledText(std::u16string text, const TextAttributes& attributes);

    const std::u16string& text() const { return m_text; }
    std::size_t length() const { return m_text.size(); }
    const std::vector<Run>& runs() const { return m_runs; }

    // The attributes at a position and the run that carries them. Requires position < length().
    const TextAttributes& attributes(std::size_t position, Range* effectiveRange = nullptr) const;

    void append(std::u16string_view text, const TextAttributes& attributes);

    // Replaces the characters of a range (clamped to the text). Inserted text takes the attributes
    // of the first replaced character, else of the character before, else of the one after.
    void replaceCharacters(Range range, std::u16string_view text);
    // Sets the attributes of a range (clamped to the text), replacing all attributes there.
    void setAttributes(Range range, const TextAttributes& attributes);
    // Gives the characters from location on the attributes of the source's runs, as far as this
    // text goes, in one pass.
    void copyAttributes(const StyledText& source, std::size_t location);

    bool operator==(const StyledText&) const = default;

private:
    std::size_t runIndexAt(std::size_t position) const;
    void splitAt(std::size_t position);
    // Replaces the runs over a range (clamped to the text) by the given ones, whose locations
    // count from the range's start.
    void replaceRuns(Range range, const std::vector<Run>& runs);
    void coalesce();

    std::u16string m_text;
    std::vector<Run> m_runs;
};

} // namespace SyntaxHighlighter
