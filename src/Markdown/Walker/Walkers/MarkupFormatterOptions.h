#pragma once

// The options of the Markdown printer (`MarkupFormatter::Options`). Every option enumeration has a raw string
// (`rawValue(e)`), can be built back from it (`fromRawValue<E>(text)`) and lists its cases (`allCases<E>()`).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace Markdown {

/// The marker character of unordered list items; the raw value is the character printed.
enum class UnorderedListMarker { dash, plus, star };
/// The fence decision for code blocks.
enum class UseCodeFence { onlyWhenLanguageIsPresent, always, never };
/// The character of a thematic break; the raw value is the character printed.
enum class ThematicBreakCharacter { dash, underline, star };
/// The emphasis delimiter; the raw value is the character printed.
enum class EmphasisMarker { star, underline };
enum class PreferredHeadingStyle { atx, setext };
/// The character that starts a Doxygen command; the raw value is the character printed.
enum class DoxygenCommandPrefix { backslash, at };
enum class AdjacentDoxygenCommandsSpacing { singleNewline, separateParagraphs };
/// How a wrapped line ends: nothing (a soft break) or two spaces (a hard break).
enum class LineSplittingElement { softBreak, hardBreak };

/// Each option enumeration's cases in declaration order with their raw strings.
template <class E> struct OptionRawValues;

#define QS_MARKDOWN_OPTION_RAW_VALUES(E, ...)                                                                \
    template <> struct OptionRawValues<E> {                                                                  \
        static constexpr std::pair<E, std::string_view> table[] = {__VA_ARGS__};                             \
    };

QS_MARKDOWN_OPTION_RAW_VALUES(UnorderedListMarker, {UnorderedListMarker::dash, "-"},
                              {UnorderedListMarker::plus, "+"}, {UnorderedListMarker::star, "*"})
QS_MARKDOWN_OPTION_RAW_VALUES(UseCodeFence,
                              {UseCodeFence::onlyWhenLanguageIsPresent, "when-language-present"},
                              {UseCodeFence::always, "always"}, {UseCodeFence::never, "never"})
QS_MARKDOWN_OPTION_RAW_VALUES(ThematicBreakCharacter, {ThematicBreakCharacter::dash, "-"},
                              {ThematicBreakCharacter::underline, "_"}, {ThematicBreakCharacter::star, "*"})
QS_MARKDOWN_OPTION_RAW_VALUES(EmphasisMarker, {EmphasisMarker::star, "*"}, {EmphasisMarker::underline, "_"})
QS_MARKDOWN_OPTION_RAW_VALUES(PreferredHeadingStyle, {PreferredHeadingStyle::atx, "atx"},
                              {PreferredHeadingStyle::setext, "setext"})
QS_MARKDOWN_OPTION_RAW_VALUES(DoxygenCommandPrefix, {DoxygenCommandPrefix::backslash, "\\"},
                              {DoxygenCommandPrefix::at, "@"})
QS_MARKDOWN_OPTION_RAW_VALUES(AdjacentDoxygenCommandsSpacing,
                              {AdjacentDoxygenCommandsSpacing::singleNewline, "single-newline"},
                              {AdjacentDoxygenCommandsSpacing::separateParagraphs, "separate-paragraphs"})
QS_MARKDOWN_OPTION_RAW_VALUES(LineSplittingElement, {LineSplittingElement::softBreak, "soft-break"},
                              {LineSplittingElement::hardBreak, "hard-break"})

#undef QS_MARKDOWN_OPTION_RAW_VALUES

template <class E> constexpr std::string_view rawValue(E value) {
    for (const auto& [option, raw] : OptionRawValues<E>::table) {
        if (option == value) {
            return raw;
        }
    }
    return {};
}

template <class E> constexpr std::optional<E> fromRawValue(std::string_view raw) {
    for (const auto& [option, text] : OptionRawValues<E>::table) {
        if (text == raw) {
            return option;
        }
    }
    return std::nullopt;
}

template <class E> constexpr auto allCases() {
    constexpr auto& table = OptionRawValues<E>::table;
    std::array<E, std::size(table)> cases{};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        cases[i] = table[i].first;
    }
    return cases;
}

/// How ordered list items are numbered: all with the same numeral, or counting up from a start.
class OrderedListNumerals {
public:
    enum class Kind { allSame, incrementing };

    static constexpr OrderedListNumerals allSame(std::uint64_t numeral) { return {Kind::allSame, numeral}; }
    static constexpr OrderedListNumerals incrementing(std::uint64_t start) {
        return {Kind::incrementing, start};
    }

    constexpr Kind kind() const { return kind_; }
    /// The shared numeral of `allSame`, or the start of `incrementing`.
    constexpr std::uint64_t value() const { return value_; }
    /// The numeral of the item at `index` (from 0) in its list.
    constexpr std::uint64_t numeral(std::int64_t index) const {
        return kind_ == Kind::allSame ? value_ : value_ + static_cast<std::uint64_t>(index);
    }

    friend constexpr bool operator==(const OrderedListNumerals&, const OrderedListNumerals&) = default;

private:
    constexpr OrderedListNumerals(Kind kind, std::uint64_t value) : kind_(kind), value_(value) {}
    Kind kind_;
    std::uint64_t value_;
};

/// The line length the printer wraps text at, and what ends a wrapped line.
struct PreferredLineLimit {
    using SplittingElement = LineSplittingElement;

    PreferredLineLimit(std::int64_t maxLength, SplittingElement breakWith)
        : lineSplittingElement(breakWith), maxLength(maxLength) {}

    SplittingElement lineSplittingElement;
    /// In user-perceived characters, the line prefix included.
    std::int64_t maxLength;

    friend bool operator==(const PreferredLineLimit&, const PreferredLineLimit&) = default;
};

/// The printer's options: an immutable value. Built with all thirteen values, or as `defaultOptions()`.
class MarkupFormatterOptions {
public:
    using PreferredLineLimit = Markdown::PreferredLineLimit;

    /// Stores each value as given, except that a thematic break shorter than 3 is stored as 3.
    MarkupFormatterOptions(UnorderedListMarker unorderedListMarker, OrderedListNumerals orderedListNumerals,
                           UseCodeFence useCodeFence, std::optional<std::string> defaultCodeBlockLanguage,
                           ThematicBreakCharacter thematicBreakCharacter, std::uint64_t thematicBreakLength,
                           EmphasisMarker emphasisMarker, bool condenseAutolinks,
                           PreferredHeadingStyle preferredHeadingStyle,
                           std::optional<PreferredLineLimit> preferredLineLimit, std::string customLinePrefix,
                           DoxygenCommandPrefix doxygenCommandPrefix,
                           AdjacentDoxygenCommandsSpacing adjacentDoxygenCommandsSpacing)
        : orderedListNumerals_(orderedListNumerals), unorderedListMarker_(unorderedListMarker),
          useCodeFence_(useCodeFence), defaultCodeBlockLanguage_(std::move(defaultCodeBlockLanguage)),
          thematicBreakCharacter_(thematicBreakCharacter),
          thematicBreakLength_(thematicBreakLength < 3 ? 3 : thematicBreakLength),
          emphasisMarker_(emphasisMarker), condenseAutolinks_(condenseAutolinks),
          preferredHeadingStyle_(preferredHeadingStyle), preferredLineLimit_(preferredLineLimit),
          customLinePrefix_(std::move(customLinePrefix)), doxygenCommandPrefix_(doxygenCommandPrefix),
          adjacentDoxygenCommandsSpacing_(adjacentDoxygenCommandsSpacing) {}

    /// Dash markers, every ordered item "1.", fenced code, five-dash breaks, star emphasis, condensed
    /// autolinks, ATX headings, no line limit, no prefix, backslash Doxygen commands on single lines.
    static const MarkupFormatterOptions& defaultOptions();

    OrderedListNumerals orderedListNumerals() const { return orderedListNumerals_; }
    UnorderedListMarker unorderedListMarker() const { return unorderedListMarker_; }
    UseCodeFence useCodeFence() const { return useCodeFence_; }
    const std::optional<std::string>& defaultCodeBlockLanguage() const { return defaultCodeBlockLanguage_; }
    ThematicBreakCharacter thematicBreakCharacter() const { return thematicBreakCharacter_; }
    std::uint64_t thematicBreakLength() const { return thematicBreakLength_; }
    EmphasisMarker emphasisMarker() const { return emphasisMarker_; }
    bool condenseAutolinks() const { return condenseAutolinks_; }
    PreferredHeadingStyle preferredHeadingStyle() const { return preferredHeadingStyle_; }
    const std::optional<PreferredLineLimit>& preferredLineLimit() const { return preferredLineLimit_; }
    const std::string& customLinePrefix() const { return customLinePrefix_; }
    DoxygenCommandPrefix doxygenCommandPrefix() const { return doxygenCommandPrefix_; }
    AdjacentDoxygenCommandsSpacing adjacentDoxygenCommandsSpacing() const {
        return adjacentDoxygenCommandsSpacing_;
    }

    friend bool operator==(const MarkupFormatterOptions&, const MarkupFormatterOptions&) = default;

private:
    OrderedListNumerals orderedListNumerals_;
    UnorderedListMarker unorderedListMarker_;
    UseCodeFence useCodeFence_;
    std::optional<std::string> defaultCodeBlockLanguage_;
    ThematicBreakCharacter thematicBreakCharacter_;
    std::uint64_t thematicBreakLength_;
    EmphasisMarker emphasisMarker_;
    bool condenseAutolinks_;
    PreferredHeadingStyle preferredHeadingStyle_;
    std::optional<PreferredLineLimit> preferredLineLimit_;
    std::string customLinePrefix_;
    DoxygenCommandPrefix doxygenCommandPrefix_;
    AdjacentDoxygenCommandsSpacing adjacentDoxygenCommandsSpacing_;
};

} // namespace Markdown
