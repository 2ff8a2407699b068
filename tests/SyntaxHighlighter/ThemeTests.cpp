// The CSS reader of highlight.js themes: rules, merge order, colours, fonts and the background.
#include "TestBundle.h"

#include <fontconfig/fontconfig.h>

using namespace SyntaxHighlighter;
using SyntaxHighlighter::Testing::hex;
using SyntaxHighlighter::Testing::sameColor;

namespace {

// The monospaced family shipped with the tests, with its regular, bold and italic faces, so the
// tests do not depend on the faces of the machine's own monospaced font.
constexpr const char* kShippedMonospace = "Go Mono";

bool loadShippedMonospace() {
    static const bool loaded = [] {
        bool all = true;
        for (const char* file : {"Go-Mono.ttf", "Go-Mono-Bold.ttf", "Go-Mono-Italic.ttf"}) {
            const std::string path = std::string(QS_TEST_SOURCE_DIR) + "/tests/support/fonts/" + file;
            all = FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(path.c_str())) && all;
        }
        return all;
    }();
    return loaded;
}

TextAttributes styleOf(const Theme& theme, std::vector<std::string> classes) {
    return theme.attributesForStyleList(classes);
}

TEST(ThemeTest, ReadsBackgroundForegroundAndWritesRulesBackWithoutBackground) {
    Theme theme(".hljs{background:#fff;color:#000}");
    EXPECT_TRUE(sameColor(theme.themeBackgroundColor(), Color::white()));
    EXPECT_TRUE(sameColor(styleOf(theme, {"hljs"}).foreground, Color::black()));
    EXPECT_EQ(theme.lightTheme(), ".hljs{color:#000;}");
}

TEST(ThemeTest, BackgroundValues) {
    struct Case {
        std::string css;
        Color expected;
    };
    const Case cases[] = {
        {".hljs{background:white}", Color::white()},
        {".hljs{background:black}", Color::black()},
        {".hljs{}", Color::white()},
        {".other{color:#123}", Color::white()},
        {"", Color::white()},
        {".hljs{background-color:#102030}", hex(0x102030)},
        // A shorthand naming an image before the colour gives the colour.
        {".hljs{background:url(./pojoaque.jpg) left top #181914}", hex(0x181914)},
        // "background" wins over "background-color".
        {".hljs{background-color:#111111;background:#222222}", hex(0x222222)},
        // Values without a "#" colour count as no background instead of failing.
        {".hljs{background:navy}", Color::white()},
        {".hljs{background:var(--hljs-bg)}", Color::white()},
        {".hljs{background:transparent}", Color::white()},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(sameColor(Theme(c.css).themeBackgroundColor(), c.expected)) << c.css;
}

TEST(ThemeTest, ColourValues) {
    struct Case {
        std::string value;
        Color expected;
    };
    const Case cases[] = {
        {"#abc", {10.0 / 15, 11.0 / 15, 12.0 / 15, 1}},
        {"#aabbcc", {170.0 / 255, 187.0 / 255, 204.0 / 255, 1}},
        {" #000", Color::black()},
        {"#FFF\n", Color::white()},
        {"#abcd", Color::grey()},
        {"#aabbccdd", Color::grey()},
        {"teal", Color::grey()},
        {"White", Color::grey()},
        {"rgb(1,2,3)", Color::grey()},
        {"white", Color::white()},
        {"black", Color::black()},
        {"red", {1, 0, 0, 1}},
        {"green", {0, 1, 0, 1}},
        {"blue", {0, 0, 1, 1}},
        // Reading stops at the first character that is no hexadecimal digit.
        {"#1z2y3x", {1.0 / 255, 2.0 / 255, 3.0 / 255, 1}},
        {"#zzzzzz", Color::black()},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(sameColor(styleOf(Theme(".x{color:" + c.value + "}"), {"x"}).foreground, c.expected))
            << c.value;
}

TEST(ThemeTest, FontWeightsAndStylesPickTheCodeFaces) {
    ASSERT_TRUE(loadShippedMonospace());
    Theme theme(".b{font-weight:700}.i{font-style:italic}.o{font-style:oblique}.n{font-weight:normal}"
                ".B{font-weight:BOLD}.both{font-style:italic;font-weight:bold}");
    const auto shipped = Font::codeFont(kShippedMonospace, 14);
    ASSERT_TRUE(shipped);
    ASSERT_EQ(shipped->family, kShippedMonospace);
    theme.setCodeFont(*shipped);
    ASSERT_TRUE(theme.codeFont());
    ASSERT_TRUE(theme.boldCodeFont());
    ASSERT_TRUE(theme.italicCodeFont());
    EXPECT_EQ(theme.codeFont()->pointSize, 14);
    EXPECT_GE(theme.boldCodeFont()->weight, 600);
    EXPECT_TRUE(theme.italicCodeFont()->italic);

    EXPECT_EQ(styleOf(theme, {"b"}).font, theme.boldCodeFont());
    EXPECT_EQ(styleOf(theme, {"i"}).font, theme.italicCodeFont());
    EXPECT_EQ(styleOf(theme, {"o"}).font, theme.italicCodeFont());
    EXPECT_EQ(styleOf(theme, {"n"}).font, theme.codeFont());
    EXPECT_EQ(styleOf(theme, {"B"}).font, theme.codeFont()); // values compare case-sensitively
    // Both properties share the font attribute: the one written last wins.
    EXPECT_EQ(styleOf(theme, {"both"}).font, theme.boldCodeFont());
    // Any run starts from the code font.
    EXPECT_EQ(styleOf(theme, {}).font, theme.codeFont());
    EXPECT_EQ(styleOf(theme, {"unknown"}).font, theme.codeFont());
}

TEST(ThemeTest, CourierFallsBackToAMonospacedFace) {
    Theme theme("");
    ASSERT_TRUE(theme.codeFont());
    EXPECT_FALSE(theme.codeFont()->family.empty());
    EXPECT_EQ(*theme.lightTheme(), "");
    EXPECT_TRUE(sameColor(theme.themeBackgroundColor(), Color::white()));
}

TEST(ThemeTest, SetCodeFontRestylesEveryClass) {
    Theme theme(".b{font-weight:bold}.c{color:#010203}");
    Font font = *theme.codeFont();
    font.pointSize = 20;
    theme.setCodeFont(font);
    EXPECT_EQ(theme.codeFont()->pointSize, 20);
    EXPECT_EQ(theme.boldCodeFont()->pointSize, 20);
    EXPECT_EQ(styleOf(theme, {"b"}).font, theme.boldCodeFont());
    EXPECT_EQ(styleOf(theme, {"c"}).font->pointSize, 20);
    EXPECT_TRUE(sameColor(styleOf(theme, {"c"}).foreground, hex(0x010203)));
}

TEST(ThemeTest, SelectorListsSpreadOverEachSelector) {
    Theme theme(
        ".hljs-comment,.hljs-quote{color:#111111}pre code.hljs{color:#222222}.hljs-a .hljs-b{color:#333333}");
    EXPECT_TRUE(sameColor(styleOf(theme, {"hljs-comment"}).foreground, hex(0x111111)));
    EXPECT_TRUE(sameColor(styleOf(theme, {"hljs-quote"}).foreground, hex(0x111111)));
    // "pre code.hljs" is the code element of the block.
    EXPECT_TRUE(sameColor(styleOf(theme, {"hljs"}).foreground, hex(0x222222)));
    // A descendant selector needs its ancestor.
    EXPECT_TRUE(sameColor(styleOf(theme, {"hljs", "hljs-a", "hljs-b"}).foreground, hex(0x333333)));
    EXPECT_TRUE(sameColor(styleOf(theme, {"hljs", "hljs-b"}).foreground, hex(0x222222)));
}

TEST(ThemeTest, CompoundTitleSelectors) {
    Theme theme(".hljs{color:#000001}.hljs-function .hljs-title{color:#f00}.hljs-title{color:#00f}"
                ".hljs-params{color:#0f0}");
    EXPECT_EQ(*theme.lightTheme(),
              ".hljs{color:#000001;}hljs-function-hljs-title{color:#f00;}.hljs-title{color:#00f;}"
              ".hljs-params{color:#0f0;}");
    // A title inside a function takes the more specific rule, whatever the order.
    TextAttributes run = styleOf(theme, {"hljs", "hljs-function", "hljs-title"});
    EXPECT_TRUE(sameColor(run.foreground, {1, 0, 0, 1}));
    EXPECT_TRUE(sameColor(styleOf(theme, {"hljs", "hljs-function", "hljs-params"}).foreground, {0, 1, 0, 1}));
    EXPECT_TRUE(sameColor(styleOf(theme, {"hljs", "hljs-title"}).foreground, {0, 0, 1, 1}));

    Theme classTitle(".hljs-class .hljs-title,.hljs-function{color:#0f0}");
    EXPECT_EQ(*classTitle.lightTheme(), "hljs-class-hljs-title{color:#0f0;}");
    EXPECT_TRUE(
        sameColor(styleOf(classTitle, {"hljs", "hljs-class", "hljs-title"}).foreground, {0, 1, 0, 1}));
    // The other selectors of the list keep their colour.
    EXPECT_TRUE(sameColor(styleOf(classTitle, {"hljs", "hljs-function"}).foreground, {0, 1, 0, 1}));
    EXPECT_FALSE(styleOf(classTitle, {"hljs", "hljs-title"}).foreground);
}

TEST(ThemeTest, DeclarationsAreTakenAsWritten) {
    Theme spaced(".a{color: #000}.b{\ncolor:#fff}.c{color:#fff;content:\"a:b\";font-weight:bold}");
    EXPECT_TRUE(sameColor(styleOf(spaced, {"a"}).foreground, Color::black()));
    // "\ncolor" is no property the theme knows.
    EXPECT_FALSE(styleOf(spaced, {"b"}).foreground);
    // A value holding ":" drops only that declaration.
    EXPECT_EQ(*spaced.lightTheme(), ".a{color: #000;}.b{\ncolor:#fff;}.c{color:#fff;font-weight:bold;}");
}

TEST(ThemeTest, RulesMergeInTextOrderWithTheLastWinning) {
    // Identical selector text: both rules apply.
    Theme same(".a{color:#111111}.a{font-style:italic}");
    EXPECT_TRUE(sameColor(styleOf(same, {"a"}).foreground, hex(0x111111)));
    EXPECT_EQ(styleOf(same, {"a"}).font, same.italicCodeFont());

    // Different selector text: both contribute.
    Theme merged(".a{color:#111111}.a,.b{font-style:italic}");
    EXPECT_TRUE(sameColor(styleOf(merged, {"a"}).foreground, hex(0x111111)));
    EXPECT_EQ(styleOf(merged, {"a"}).font, merged.italicCodeFont());

    // The same property from several rules: the last rule of the text wins, on every run.
    for (int run = 0; run < 20; ++run) {
        Theme ordered(".a{color:#111111}.a,.b{color:#222222}.b,.a{color:#333333}.b{color:#444444}");
        EXPECT_TRUE(sameColor(styleOf(ordered, {"a"}).foreground, hex(0x333333)));
        EXPECT_TRUE(sameColor(styleOf(ordered, {"b"}).foreground, hex(0x444444)));
    }
}

TEST(ThemeTest, InnerClassesOverrideOuterOnes) {
    Theme theme(".hljs{color:#000001;background-color:#000002}.hljs-string{color:#000003}"
                ".hljs-subst{font-weight:bold}");
    TextAttributes run = styleOf(theme, {"hljs", "hljs-string", "hljs-subst"});
    EXPECT_TRUE(sameColor(run.foreground, hex(0x000003)));
    EXPECT_TRUE(sameColor(run.background, hex(0x000002)));
    EXPECT_EQ(run.font, theme.boldCodeFont());
    // A class attribute of several words carries each of them.
    EXPECT_TRUE(sameColor(styleOf(theme, {"hljs", "other hljs-string"}).foreground, hex(0x000003)));

    StyledText styled = theme.applyStyleToString(u"abc", {"hljs", "hljs-string"});
    EXPECT_EQ(styled.text(), u"abc");
    ASSERT_EQ(styled.runs().size(), 1u);
    EXPECT_TRUE(sameColor(styled.runs()[0].attributes.foreground, hex(0x000003)));
}

TEST(ThemeTest, UnreadableRulesAreSkipped) {
    Theme theme("@media x{.a{color:#111111}}@import url(x.css);.e{color:#666666}"
                ".b{color:#222222.c{color:#333333}#id{color:#444444}.d{color:#555555");
    // The conditions of at-rules do not hold here; their rules do not apply.
    EXPECT_FALSE(styleOf(theme, {"a"}).foreground);
    EXPECT_TRUE(sameColor(styleOf(theme, {"e"}).foreground, hex(0x666666)));
    // ".b" never closes: nothing of it or after it applies.
    EXPECT_FALSE(styleOf(theme, {"b"}).foreground);
    EXPECT_FALSE(styleOf(theme, {"c"}).foreground);
    EXPECT_FALSE(styleOf(theme, {"d"}).foreground);
}

// The colour of the innermost element of each stack under the stylesheet's cascade.
TEST(ThemeTest, TheCascadePicksTheMoreSpecificRuleThenTheLaterOne) {
    struct Case {
        const char* css;
        std::vector<std::string> stack;
        std::optional<unsigned> colour;
    };
    const Case cases[] = {
        // A span of several classes matches compound selectors, which outrank single classes.
        {".t.f{color:#000001}.t{color:#000002}", {"hljs", "t f"}, 0x000001},
        {".t{color:#000002}.t.f{color:#000001}", {"hljs", "f t"}, 0x000001},
        {".t.f{color:#000001}.t{color:#000002}", {"hljs", "t"}, 0x000002},
        {".t.f.x{color:#000001}", {"hljs", "t f"}, std::nullopt},
        // Equal specificity: the later rule wins.
        {".a{color:#000001}.b{color:#000002}", {"hljs", "a b"}, 0x000002},
        {".b{color:#000002}.a{color:#000001}", {"hljs", "a b"}, 0x000001},
        // Descendant selectors match through any number of enclosing spans; child selectors only
        // through the parent.
        {".f .t{color:#000001}.t{color:#000002}", {"hljs", "f", "t"}, 0x000001},
        {".f .t{color:#000001}.t{color:#000002}", {"hljs", "f", "x", "t"}, 0x000001},
        {".f .t{color:#000001}.t{color:#000002}", {"hljs", "t"}, 0x000002},
        {".f .t{color:#000001}", {"hljs", "t", "f"}, std::nullopt},
        {".hljs .f .t{color:#000001}.f .t{color:#000002}", {"hljs", "f", "t"}, 0x000001},
        {".f>.t{color:#000001}", {"hljs", "f", "t"}, 0x000001},
        {".f > .t{color:#000001}", {"hljs", "f", "x", "t"}, std::nullopt},
        // Types: the block is a code element in a pre, the classes of the stack are spans.
        {"pre code.hljs{color:#000001}.hljs{color:#000002}", {"hljs"}, 0x000001},
        {"span.x{color:#000001}code.x{color:#000002}", {"hljs", "x"}, 0x000001},
        {"code .x{color:#000001}", {"hljs", "x"}, 0x000001},
        // "!important" outranks specificity.
        {".a{color:#000001 !important}.a.b{color:#000002}", {"hljs", "a b"}, 0x000001},
        // "inherit" takes the parent's colour, winning over less specific rules.
        {".hljs{color:#000001}.b{color:#000002}.a .b{color:inherit}", {"hljs", "a", "b"}, 0x000001},
        // Selectors of a list that cannot be read are skipped alone.
        {".a:hover,.b{color:#000001}", {"hljs", "b"}, 0x000001},
        {".a:hover,.b{color:#000001}", {"hljs", "a"}, std::nullopt},
        {"#a,.a[x],*,.a+.b,.a~.b,.a::before,.,a>,>a{color:#000001}", {"hljs", "a b"}, std::nullopt},
        {"/* .a{color:#000002} */.b{color:#000001}", {"hljs", "a b"}, 0x000001},
    };
    for (const Case& c : cases) {
        auto colour = styleOf(Theme(c.css), c.stack).foreground;
        if (c.colour)
            EXPECT_TRUE(sameColor(colour, hex(*c.colour))) << c.css << " on " << c.stack.back();
        else
            EXPECT_FALSE(colour) << c.css << " on " << c.stack.back();
    }
}

// Weight and slant inherit each on its own; text shows one face, bold over italic.
TEST(ThemeTest, WeightAndSlantInheritApart) {
    Theme theme(".i{font-style:italic}.b{font-weight:700}.n{font-weight:normal}.u{font-style:normal}"
                ".a{font-style:inherit}");
    struct Case {
        std::vector<std::string> stack;
        const std::optional<Font>& face;
    };
    const Case cases[] = {
        {{"hljs", "i", "b"}, theme.boldCodeFont()},      {{"hljs", "b", "i"}, theme.boldCodeFont()},
        {{"hljs", "i", "n"}, theme.italicCodeFont()},    {{"hljs", "b", "i", "n"}, theme.italicCodeFont()},
        {{"hljs", "i", "b", "u"}, theme.boldCodeFont()}, {{"hljs", "i", "u"}, theme.codeFont()},
        {{"hljs", "i", "a"}, theme.italicCodeFont()},    {{"hljs", "i b"}, theme.boldCodeFont()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(styleOf(theme, c.stack).font, c.face) << c.stack.back();
}

} // namespace

namespace {

TEST(FontTest, MissingFamiliesFallBackToTheSystemMonospace) {
    auto monospace = Font::codeFont("monospace", 12);
    ASSERT_TRUE(monospace);
    auto missing = Font::codeFont("No Such Family For Quillstack", 12);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->family, monospace->family);
    EXPECT_EQ(missing->pointSize, 12);
}

TEST(FontTest, FacesAreFoundOnlyWhenTheFamilyHasThem) {
    ASSERT_TRUE(loadShippedMonospace());
    auto regular = Font::codeFont(kShippedMonospace, 10);
    ASSERT_TRUE(regular);
    ASSERT_EQ(regular->family, kShippedMonospace);
    auto bold = Font::face(regular->family, "Bold", 10);
    ASSERT_TRUE(bold);
    EXPECT_EQ(bold->family, regular->family);
    EXPECT_GE(bold->weight, 600);
    auto italic = Font::face(regular->family, "Italic", 10);
    ASSERT_TRUE(italic);
    EXPECT_TRUE(italic->italic);
    EXPECT_FALSE(Font::face("No Such Family For Quillstack", "Bold", 10));
}

} // namespace
