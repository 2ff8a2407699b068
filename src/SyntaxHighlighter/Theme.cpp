#include "Theme.h"

#include "UTF.h"

#include <algorithm>

namespace SyntaxHighlighter {
namespace {

constexpr double kDefaultCodeFontSize = 14;

bool isClassCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

// Sets a property, moving it to the end so that the last one written stays last.
void setProperty(Theme::Properties& properties, std::string_view name, std::string_view value) {
    std::erase_if(properties, [&](const auto& property) { return property.first == name; });
    properties.emplace_back(name, value);
}

const std::string* findProperty(const Theme::Properties& properties, std::string_view name) {
    for (const auto& [propertyName, value] : properties)
        if (propertyName == name)
            return &value;
    return nullptr;
}

std::string lowercased(std::string_view text) {
    std::string result(text);
    std::ranges::transform(result, result.begin(), [](unsigned char c) { return std::tolower(c); });
    return result;
}

int hexDigitValue(char32_t c) {
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    return -1;
}

// Reads hexadecimal digits from the start of a piece, stopping at the first other character.
double hexPieceValue(std::u32string_view piece) {
    double value = 0;
    for (char32_t c : piece) {
        int digit = hexDigitValue(c);
        if (digit < 0)
            break;
        value = value * 16 + digit;
    }
    return value;
}

bool isTrimmedSpace(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == 0x85 ||
           c == 0xA0 || c == 0x2028 || c == 0x2029;
}

} // namespace

Theme::Theme(std::string themeString) : m_theme(std::move(themeString)), m_stylesheet(m_theme) {
    if (auto font = Font::codeFont("Courier", kDefaultCodeFontSize))
        setCodeFont(*font);
    m_declaredValues.reserve(m_stylesheet.declarations().size());
    for (const Stylesheet::Declaration& declaration : m_stylesheet.declarations())
        m_declaredValues.push_back(readDeclaration(declaration));
    m_strippedTheme = stripTheme(m_theme);
    m_lightTheme = strippedThemeToString(*m_strippedTheme);
    m_themeBackgroundColor = backgroundFromStrippedTheme();
}

std::optional<Color> Theme::backgroundFromStrippedTheme() const {
    auto hljs =
        std::ranges::find_if(*m_strippedTheme, [](const auto& entry) { return entry.first == ".hljs"; });
    const std::string* value = nullptr;
    if (hljs != m_strippedTheme->end()) {
        value = findProperty(hljs->second, "background");
        if (!value)
            value = findProperty(hljs->second, "background-color");
    }
    if (!value)
        return Color::white();
    if (*value == "white")
        return Color::white();
    if (*value == "black")
        return Color::black();
    // Shorthands may name an image or a repeat mode before the colour. A value without any "#"
    // colour ("navy", "var(--bg)") counts as no background.
    std::size_t hash = value->find('#');
    if (hash == std::string::npos)
        return Color::white();
    return colorWithHexString(std::string_view(*value).substr(hash));
}

void Theme::setCodeFont(const Font& font) {
    m_codeFont = font;
    m_boldCodeFont = Font::face(font.family, "Bold", font.pointSize);
    m_italicCodeFont = Font::face(font.family, "Italic", font.pointSize);
    if (!m_italicCodeFont)
        m_italicCodeFont = Font::face(font.family, "Oblique", font.pointSize);
    if (!m_italicCodeFont)
        m_italicCodeFont = font;
    if (!m_boldCodeFont)
        m_boldCodeFont = font;
}

Theme::StrippedTheme Theme::stripTheme(std::string_view css) {
    // First pass: rules made of class selectors joined by one "," or one blank, in text order. A
    // later rule with the same selector text replaces the earlier one and takes its place in order.
    StrippedTheme rules;
    std::size_t searchFrom = 0;
    while (true) {
        std::size_t start = css.find('.', searchFrom);
        if (start == std::string_view::npos)
            break;
        std::size_t position = start;
        while (true) {
            ++position; // the "."
            while (position < css.size() && isClassCharacter(css[position]))
                ++position;
            if (position + 1 < css.size() && (css[position] == ',' || css[position] == ' ') &&
                css[position + 1] == '.') {
                ++position;
                continue;
            }
            break;
        }
        std::size_t close = std::string_view::npos;
        if (position < css.size() && css[position] == '{')
            close = css.find('}', position + 1);
        if (close == std::string_view::npos) {
            searchFrom = start + 1;
            continue;
        }
        std::string_view selectors = css.substr(start, position - start);
        std::string_view body = css.substr(position + 1, close - position - 1);
        searchFrom = close + 1;

        Properties properties;
        forEachDeclaration(body, [&](std::string_view name, std::string_view value) {
            setProperty(properties, name, value);
        });
        if (properties.empty())
            continue;
        std::erase_if(rules, [&](const auto& rule) { return rule.first == selectors; });
        rules.emplace_back(selectors, std::move(properties));
    }

    // Second pass: spread each rule over its selectors, in rule order, the later rule winning.
    StrippedTheme stripped;
    for (const auto& [selectorList, properties] : rules) {
        std::string list(selectorList);
        std::ranges::replace(list, ' ', ',');
        auto selectors = split(list, ',');
        auto contains = [&](std::string_view name) {
            return std::ranges::find(selectors, name) != selectors.end();
        };
        std::optional<std::string> compoundKey;
        if (contains(".hljs-title") && contains(".hljs-function"))
            compoundKey = "hljs-function-hljs-title";
        if (contains(".hljs-title") && contains(".hljs-class"))
            compoundKey = "hljs-class-hljs-title";
        for (std::string_view selector : selectors) {
            std::string key = compoundKey ? *compoundKey : std::string(selector);
            auto entry = std::ranges::find_if(stripped, [&](const auto& e) { return e.first == key; });
            if (entry == stripped.end()) {
                stripped.emplace_back(key, Properties{});
                entry = std::prev(stripped.end());
            }
            for (const auto& [name, value] : properties)
                setProperty(entry->second, name, value);
        }
    }
    return stripped;
}

std::string Theme::strippedThemeToString(const StrippedTheme& stripped) {
    std::string css;
    for (const auto& [key, properties] : stripped) {
        css += key;
        css += '{';
        for (const auto& [name, value] : properties) {
            if (key == ".hljs") {
                std::string lowered = lowercased(name);
                if (lowered == "background-color" || lowered == "background")
                    continue;
            }
            css += name;
            css += ':';
            css += value;
            css += ';';
        }
        css += '}';
    }
    return css;
}

Theme::DeclaredValue Theme::readDeclaration(const Stylesheet::Declaration& declaration) {
    const std::string& value = declaration.value;
    DeclaredValue read;
    read.inherit = value == "inherit";
    switch (declaration.property) {
    case Stylesheet::Property::Color:
    case Stylesheet::Property::BackgroundColor:
        read.colour = colorWithHexString(value);
        break;
    case Stylesheet::Property::FontWeight:
        read.on = value == "bold" || value == "bolder" || value == "600" || value == "700" ||
                  value == "800" || value == "900";
        break;
    case Stylesheet::Property::FontStyle:
        read.on = value == "italic" || value == "oblique";
        break;
    }
    return read;
}

Color Theme::colorWithHexString(std::string_view value) {
    std::u32string text = utf8ToUtf32(value);
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isTrimmedSpace(text[first]))
        ++first;
    while (last > first && isTrimmedSpace(text[last - 1]))
        --last;
    std::u32string_view trimmed = std::u32string_view(text).substr(first, last - first);

    if (!trimmed.empty() && trimmed.front() == '#') {
        std::u32string_view digits = trimmed.substr(1);
        if (digits.size() == 6)
            return {hexPieceValue(digits.substr(0, 2)) / 255, hexPieceValue(digits.substr(2, 2)) / 255,
                    hexPieceValue(digits.substr(4, 2)) / 255, 1};
        if (digits.size() == 3)
            return {hexPieceValue(digits.substr(0, 1)) / 15, hexPieceValue(digits.substr(1, 1)) / 15,
                    hexPieceValue(digits.substr(2, 1)) / 15, 1};
        return Color::grey();
    }
    if (trimmed == U"white")
        return Color::white();
    if (trimmed == U"black")
        return Color::black();
    if (trimmed == U"red")
        return {1, 0, 0, 1};
    if (trimmed == U"green")
        return {0, 1, 0, 1};
    if (trimmed == U"blue")
        return {0, 0, 1, 1};
    return Color::grey();
}

Theme::Style Theme::styleInElement(std::span<const std::string> styleList, const Style& parent) const {
    Style style = parent;
    Stylesheet::Winners winners = m_stylesheet.winners(styleList);
    auto declared = [&](Stylesheet::Property property) -> const DeclaredValue* {
        const auto& winner = winners[static_cast<std::size_t>(property)];
        if (!winner || m_declaredValues[*winner].inherit)
            return nullptr;
        return &m_declaredValues[*winner];
    };
    if (const DeclaredValue* colour = declared(Stylesheet::Property::Color))
        style.foreground = colour->colour;
    if (const DeclaredValue* background = declared(Stylesheet::Property::BackgroundColor))
        style.background = background->colour;
    if (const DeclaredValue* weight = declared(Stylesheet::Property::FontWeight))
        style.bold = weight->on;
    if (const DeclaredValue* slant = declared(Stylesheet::Property::FontStyle))
        style.italic = slant->on;
    return style;
}

TextAttributes Theme::attributes(const Style& style) const {
    return {style.foreground, style.background,
            style.bold     ? m_boldCodeFont
            : style.italic ? m_italicCodeFont
                           : m_codeFont};
}

TextAttributes Theme::attributesForStyleList(const std::vector<std::string>& styleList) const {
    Style style;
    for (std::size_t depth = 1; depth <= styleList.size(); ++depth)
        style = styleInElement(std::span(styleList).first(depth), style);
    return attributes(style);
}

StyledText Theme::applyStyleToString(std::u16string_view text,
                                     const std::vector<std::string>& styleList) const {
    StyledText styled;
    styled.append(text, attributesForStyleList(styleList));
    return styled;
}

} // namespace SyntaxHighlighter
