#pragma once
// A highlight.js stylesheet turned into text attributes per highlight.js class.

#include "StyledText.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace SyntaxHighlighter {

class Theme {
public:
    // CSS property name and value, in the order the stylesheet gives them.
    using Properties = std::vector<std::pair<std::string, std::string>>;

    // Reads the narrow CSS form of minified highlight.js themes; rules it cannot read are skipped.
    explicit Theme(std::string themeString);

    const std::string& theme() const { return m_theme; }

    // The rules written back as CSS, without the background of ".hljs".
    const std::optional<std::string>& lightTheme() const { return m_lightTheme; }

    const std::optional<Font>& codeFont() const { return m_codeFont; }
    const std::optional<Font>& boldCodeFont() const { return m_boldCodeFont; }
    const std::optional<Font>& italicCodeFont() const { return m_italicCodeFont; }
    // Makes the font the code font, derives its bold and italic faces and restyles every class.
    void setCodeFont(const Font& font);

    const std::optional<Color>& themeBackgroundColor() const { return m_themeBackgroundColor; }

    // The attributes of text inside the given stack of classes, outermost first.
    TextAttributes attributesForStyleList(const std::vector<std::string>& styleList) const;
    StyledText applyStyleToString(std::u16string_view text, const std::vector<std::string>& styleList) const;

private:
    // Selector key to its properties, in the order the keys first appear.
    using StrippedTheme = std::vector<std::pair<std::string, Properties>>;

    static StrippedTheme stripTheme(std::string_view css);
    static std::string strippedThemeToString(const StrippedTheme& stripped);
    std::unordered_map<std::string, TextAttributes> strippedThemeToTheme(const StrippedTheme& stripped) const;
    const std::optional<Font>& fontForCSSStyle(std::string_view value) const;
    static Color colorWithHexString(std::string_view value);
    std::optional<Color> backgroundFromStrippedTheme() const;

    std::string m_theme;
    std::optional<std::string> m_lightTheme;
    std::optional<Font> m_codeFont;
    std::optional<Font> m_boldCodeFont;
    std::optional<Font> m_italicCodeFont;
    std::optional<std::unordered_map<std::string, TextAttributes>> m_themeDict;
    std::optional<StrippedTheme> m_strippedTheme;
    std::optional<Color> m_themeBackgroundColor;
};

} // namespace SyntaxHighlighter
