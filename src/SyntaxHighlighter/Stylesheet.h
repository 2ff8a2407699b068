#pragma once
// The style rules of a highlight.js theme and the CSS cascade over the elements the highlighter
// renders: a <code> inside a <pre>, holding nested <span> elements.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace SyntaxHighlighter {

// Calls visit(name, value) for each declaration of a rule body that splits at ":" into exactly a
// name and a value; both are taken as written, without trimming.
template <typename Visit> void forEachDeclaration(std::string_view body, Visit&& visit) {
    while (true) {
        std::size_t end = body.find(';');
        std::string_view declaration = body.substr(0, end);
        std::size_t colon = declaration.find(':');
        if (colon != std::string_view::npos && declaration.find(':', colon + 1) == std::string_view::npos)
            visit(declaration.substr(0, colon), declaration.substr(colon + 1));
        if (end == std::string_view::npos)
            return;
        body.remove_prefix(end + 1);
    }
}

class Stylesheet {
public:
    // The properties that style highlighted text.
    enum class Property : std::uint8_t { Color, BackgroundColor, FontWeight, FontStyle };
    static constexpr std::size_t kPropertyCount = 4;

    struct Declaration {
        Property property;
        std::string value; // as written, without "!important"
    };

    // For each property, the index of the declaration that wins on an element, if any.
    using Winners = std::array<std::optional<std::size_t>, kPropertyCount>;

    // Reads the style rules of the CSS text. Selectors made of type and class selectors joined by
    // blanks (descendant) or ">" (child) are kept; any other selector is skipped alone, the others
    // of its list still apply. At-rules are skipped with their blocks: the media and feature
    // conditions of the bundled themes do not hold here.
    explicit Stylesheet(std::string_view css);

    // The kept declarations, in the order of the text.
    const std::vector<Declaration>& declarations() const { return m_declarations; }

    // The cascade on the innermost element of a path of class attributes: path[0] is that of the
    // <code> element, each later one that of a <span> inside the one before. Of the declarations of
    // the rules whose selector matches, "!important" wins first, then the more specific selector,
    // then the later declaration.
    Winners winners(std::span<const std::string> path) const;

private:
    enum class Combinator : std::uint8_t { Descendant, Child };
    struct Compound {
        std::string type; // lower case; empty for any element
        std::vector<std::string> classes;
    };
    struct Selector {
        std::vector<Compound> compounds;         // outermost first
        std::vector<Combinator> combinators;     // combinators[i] joins compounds[i] and [i + 1]
        std::uint32_t specificity = 0;           // classes, then types, packed for comparison
        std::vector<std::uint32_t> declarations; // the rule's kept declarations
    };
    struct Element {
        std::string_view type;
        std::string_view classes; // the class attribute: names separated by blanks
    };

    static std::optional<Selector> readSelector(std::string_view text);
    void readRule(std::string_view prelude, std::string_view body);
    // Element i of the path's elements: 0 is the <pre>, 1 the <code>, every later one a <span>.
    static Element elementAt(std::span<const std::string> path, std::size_t i);
    static bool matches(const Compound& compound, const Element& element);
    // Whether the selector's compounds up to the given one match, that one on element i.
    static bool matches(const Selector& selector, std::size_t compound, std::span<const std::string> path,
                        std::size_t i);

    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
    };

    std::vector<Declaration> m_declarations;
    std::vector<bool> m_important;
    std::vector<Selector> m_selectors;
    // Selectors by the first class of their last compound, or by its type when it has none.
    std::unordered_map<std::string, std::vector<std::uint32_t>, KeyHash, std::equal_to<>> m_selectorsByKey;
};

} // namespace SyntaxHighlighter
