#pragma once

#include <Markdown/Markdown.h>

#include <optional>
#include <string>

namespace FormatterTest {

using namespace Markdown;

/// Printer options by name: each field starts at its default, so a case changes only what it tests.
struct OptionValues {
    UnorderedListMarker unorderedListMarker = UnorderedListMarker::dash;
    OrderedListNumerals orderedListNumerals = OrderedListNumerals::allSame(1);
    UseCodeFence useCodeFence = UseCodeFence::always;
    std::optional<std::string> defaultCodeBlockLanguage;
    ThematicBreakCharacter thematicBreakCharacter = ThematicBreakCharacter::dash;
    std::uint64_t thematicBreakLength = 5;
    EmphasisMarker emphasisMarker = EmphasisMarker::star;
    bool condenseAutolinks = true;
    PreferredHeadingStyle preferredHeadingStyle = PreferredHeadingStyle::atx;
    std::optional<PreferredLineLimit> preferredLineLimit;
    std::string customLinePrefix;
    DoxygenCommandPrefix doxygenCommandPrefix = DoxygenCommandPrefix::backslash;
    AdjacentDoxygenCommandsSpacing adjacentDoxygenCommandsSpacing =
        AdjacentDoxygenCommandsSpacing::singleNewline;

    MarkupFormatter::Options make() const {
        return MarkupFormatter::Options(unorderedListMarker, orderedListNumerals, useCodeFence,
                                        defaultCodeBlockLanguage, thematicBreakCharacter, thematicBreakLength,
                                        emphasisMarker, condenseAutolinks, preferredHeadingStyle,
                                        preferredLineLimit, customLinePrefix, doxygenCommandPrefix,
                                        adjacentDoxygenCommandsSpacing);
    }
};

inline std::string formatted(const Markup& markup, const OptionValues& values = {}) {
    return markup.format(values.make());
}

inline Paragraph paragraph(const std::string& text) {
    return Paragraph({Text(text)});
}

inline ListItem item(const std::string& text, std::optional<Checkbox> checkbox = std::nullopt) {
    return ListItem(checkbox, {paragraph(text)});
}

inline TableCell cell(const std::string& text) {
    return TableCell({Text(text)});
}

} // namespace FormatterTest
