#pragma once
// A highlight.js stylesheet turned into text attributes for the stacks of highlight.js classes
// that enclose a text run.

#include "StyledText.h"
#include "Stylesheet.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace SyntaxHighlighter {

class Theme {
public:
    // CSS property name and value, in the order the stylesheet gives them.
    using Properties = std::vector<std::pair<std::string, std::string>>;

    // What text shows inside an element: the colours and faces it inherits or is given.
    struct Style {
        std::optional<Color> foreground;
        std::optional<Color> background;
        bool bold = false;
        bool italic = false;
    };

    // Reads the stylesheet: its style rules for colouring text (Stylesheet), and the narrow form of
    // minified highlight.js themes for the rules written back and the background.
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

    // The style of text in the innermost element of a stack of classes, outermost first, whose
    // parent's text has the given style: the stylesheet's cascade on that element, with colours and
    // faces it does not set inherited. A background shows through from the nearest element that
    // has one.
    Style styleInElement(std::span<const std::string> styleList, const Style& parent) const;
    // What text of that style shows: its colours and one code font, bold where it is both bold and
    // italic.
    TextAttributes attributes(const Style& style) const;

    // The attributes of text inside the given stack of classes, outermost first.
    TextAttributes attributesForStyleList(const std::vector<std::string>& styleList) const;
    StyledText applyStyleToString(std::u16string_view text, const std::vector<std::string>& styleList) const;

private:
    // Selector key to its properties, in the order the keys first appear.
    using StrippedTheme = std::vector<std::pair<std::string, Properties>>;

    // A declaration of the stylesheet, read once.
    struct DeclaredValue {
        bool inherit = false; // "inherit": the parent's value
        Color colour;         // of color and background-color
        bool on = false;      // a bold font-weight, an italic font-style
    };

    static StrippedTheme stripTheme(std::string_view css);
    static std::string strippedThemeToString(const StrippedTheme& stripped);
    static DeclaredValue readDeclaration(const Stylesheet::Declaration& declaration);
    static Color colorWithHexString(std::string_view value);
    std::optional<Color> backgroundFromStrippedTheme() const;

    std::string m_theme;
    std::optional<std::string> m_lightTheme;
    std::optional<Font> m_codeFont;
    std::optional<Font> m_boldCodeFont;
    std::optional<Font> m_italicCodeFont;
    Stylesheet m_stylesheet;
    std::vector<DeclaredValue> m_declaredValues; // one per declaration of m_stylesheet
    std::optional<StrippedTheme> m_strippedTheme;
    std::optional<Color> m_themeBackgroundColor;
};

} // namespace SyntaxHighlighter
