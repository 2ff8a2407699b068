#include "Stylesheet.h"

#include <algorithm>
#include <tuple>

namespace SyntaxHighlighter {
namespace {

constexpr std::uint32_t kTypeWeight = 1;
constexpr std::uint32_t kClassWeight = 1u << 16;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return (x >= 'A' && x <= 'Z' ? x - 'A' + 'a' : x) == (y >= 'A' && y <= 'Z' ? y - 'A' + 'a' : y);
    });
}

std::string withoutComments(std::string_view css) {
    std::string text;
    text.reserve(css.size());
    while (true) {
        std::size_t start = css.find("/*");
        text += css.substr(0, start);
        if (start == std::string_view::npos)
            return text;
        std::size_t end = css.find("*/", start + 2);
        if (end == std::string_view::npos)
            return text;
        css.remove_prefix(end + 2);
    }
}

// The "}" that closes the block opened at the given "{", or npos for a block left open.
std::size_t closingBrace(std::string_view text, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        if (text[i] == '{') {
            ++depth;
        } else if (text[i] == '}' && --depth == 0) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::optional<Stylesheet::Property> propertyNamed(std::string_view name) {
    if (name == "color")
        return Stylesheet::Property::Color;
    if (name == "background-color")
        return Stylesheet::Property::BackgroundColor;
    if (name == "font-weight")
        return Stylesheet::Property::FontWeight;
    if (name == "font-style")
        return Stylesheet::Property::FontStyle;
    return std::nullopt;
}

// The names of a class attribute, separated by blanks.
template <typename Visit> void forEachClass(std::string_view classes, Visit&& visit) {
    std::size_t position = 0;
    while (position < classes.size()) {
        if (isBlank(classes[position])) {
            ++position;
            continue;
        }
        std::size_t end = position;
        while (end < classes.size() && !isBlank(classes[end]))
            ++end;
        visit(classes.substr(position, end - position));
        position = end;
    }
}

bool hasClass(std::string_view classes, std::string_view name) {
    bool found = false;
    forEachClass(classes, [&](std::string_view candidate) { found = found || candidate == name; });
    return found;
}

} // namespace

Stylesheet::Stylesheet(std::string_view css) {
    std::string text = withoutComments(css);
    std::string_view rest = text;
    std::size_t position = 0;
    while (true) {
        while (position < rest.size() && isBlank(rest[position]))
            ++position;
        if (position >= rest.size())
            break;
        if (rest[position] == '@') {
            std::size_t stop = rest.find_first_of("{;", position);
            if (stop == std::string_view::npos)
                break;
            if (rest[stop] == '{') {
                stop = closingBrace(rest, stop);
                if (stop == std::string_view::npos)
                    break;
            }
            position = stop + 1;
            continue;
        }
        std::size_t open = rest.find('{', position);
        std::size_t close = open == std::string_view::npos ? open : closingBrace(rest, open);
        if (close == std::string_view::npos)
            break;
        readRule(rest.substr(position, open - position), rest.substr(open + 1, close - open - 1));
        position = close + 1;
    }
}

void Stylesheet::readRule(std::string_view prelude, std::string_view body) {
    std::vector<std::uint32_t> declarations;
    forEachDeclaration(body, [&](std::string_view name, std::string_view value) {
        auto property = propertyNamed(name);
        if (!property)
            return;
        bool important = false;
        if (std::size_t bang = value.rfind('!');
            bang != std::string_view::npos &&
            equalsIgnoringCase(trimmed(value.substr(bang + 1)), "important")) {
            important = true;
            value = value.substr(0, bang);
            while (!value.empty() && isBlank(value.back()))
                value.remove_suffix(1);
        }
        declarations.push_back(static_cast<std::uint32_t>(m_declarations.size()));
        m_declarations.push_back({*property, std::string(value)});
        m_important.push_back(important);
    });
    if (declarations.empty())
        return;

    while (true) {
        std::size_t comma = prelude.find(',');
        if (auto selector = readSelector(trimmed(prelude.substr(0, comma)))) {
            selector->declarations = declarations;
            const Compound& subject = selector->compounds.back();
            const std::string& key = subject.classes.empty() ? subject.type : subject.classes.front();
            m_selectorsByKey[key].push_back(static_cast<std::uint32_t>(m_selectors.size()));
            m_selectors.push_back(std::move(*selector));
        }
        if (comma == std::string_view::npos)
            return;
        prelude.remove_prefix(comma + 1);
    }
}

std::optional<Stylesheet::Selector> Stylesheet::readSelector(std::string_view text) {
    Selector selector;
    std::optional<Combinator> pending;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        if (i == text.size())
            break;
        if (text[i] == '>') {
            if (selector.compounds.empty() || pending)
                return std::nullopt;
            pending = Combinator::Child;
            ++i;
            continue;
        }
        if (!selector.compounds.empty())
            selector.combinators.push_back(pending.value_or(Combinator::Descendant));
        pending.reset();

        Compound compound;
        std::size_t start = i;
        while (i < text.size() && isNameCharacter(text[i]))
            ++i;
        for (char c : text.substr(start, i - start))
            compound.type += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        while (i < text.size() && text[i] == '.') {
            start = ++i;
            while (i < text.size() && isNameCharacter(text[i]))
                ++i;
            if (i == start)
                return std::nullopt;
            compound.classes.emplace_back(text.substr(start, i - start));
        }
        // Ids, attributes, pseudo-classes, the universal selector and other combinators end here.
        if (compound.type.empty() && compound.classes.empty())
            return std::nullopt;
        if (i < text.size() && !isBlank(text[i]) && text[i] != '>')
            return std::nullopt;
        selector.specificity += static_cast<std::uint32_t>(compound.classes.size()) * kClassWeight +
                                (compound.type.empty() ? 0 : kTypeWeight);
        selector.compounds.push_back(std::move(compound));
    }
    if (selector.compounds.empty() || pending)
        return std::nullopt;
    return selector;
}

bool Stylesheet::matches(const Compound& compound, const Element& element) {
    if (!compound.type.empty() && compound.type != element.type)
        return false;
    return std::ranges::all_of(compound.classes,
                               [&](const std::string& name) { return hasClass(element.classes, name); });
}

Stylesheet::Element Stylesheet::elementAt(std::span<const std::string> path, std::size_t i) {
    if (i == 0)
        return {"pre", {}};
    return {i == 1 ? "code" : "span", path[i - 1]};
}

bool Stylesheet::matches(const Selector& selector, std::size_t compound, std::span<const std::string> path,
                         std::size_t i) {
    if (!matches(selector.compounds[compound], elementAt(path, i)))
        return false;
    if (compound == 0)
        return true;
    if (selector.combinators[compound - 1] == Combinator::Child)
        return i > 0 && matches(selector, compound - 1, path, i - 1);
    for (std::size_t ancestor = i; ancestor-- > 0;)
        if (matches(selector, compound - 1, path, ancestor))
            return true;
    return false;
}

Stylesheet::Winners Stylesheet::winners(std::span<const std::string> path) const {
    Winners winners{};
    if (path.empty() || m_selectors.empty())
        return winners;

    const Element subject = elementAt(path, path.size());

    std::array<std::uint32_t, kPropertyCount> winningSpecificity{};
    auto consider = [&](std::string_view key) {
        auto candidates = m_selectorsByKey.find(key);
        if (candidates == m_selectorsByKey.end())
            return;
        for (std::uint32_t index : candidates->second) {
            const Selector& selector = m_selectors[index];
            if (!matches(selector, selector.compounds.size() - 1, path, path.size()))
                continue;
            for (std::uint32_t declaration : selector.declarations) {
                auto slot = static_cast<std::size_t>(m_declarations[declaration].property);
                auto& winner = winners[slot];
                auto rank = [&](std::size_t d, std::uint32_t specificity) {
                    return std::tuple(m_important[d], specificity, d);
                };
                if (!winner ||
                    rank(declaration, selector.specificity) > rank(*winner, winningSpecificity[slot])) {
                    winner = declaration;
                    winningSpecificity[slot] = selector.specificity;
                }
            }
        }
    };
    forEachClass(subject.classes, consider);
    consider(subject.type);
    return winners;
}

} // namespace SyntaxHighlighter
