// The highlighting module: highlight.js in JavaScriptCore, opened by CodeHighlighting when the first
// code is to be highlighted.
#include "HighlightingEngine.h"

#include <SyntaxHighlighter/HighlightEngine.h>

#include <memory>
#include <type_traits>

namespace {

// The highlight.js engine. The theme's page background is dropped from the runs: the previews
// draw on their own card, and only backgrounds that mark something (a diff's lines) are kept.
class ScriptEngine final : public HighlightingEngine {
public:
    explicit ScriptEngine(std::unique_ptr<SyntaxHighlighter::SyntaxHighlighter> engine)
        : m_engine(std::move(engine)) {}

    bool setTheme(std::string_view name) override { return m_engine->setTheme(name); }

    std::optional<SyntaxHighlighter::StyledText>
    highlight(std::u16string_view code, std::optional<std::string_view> language) override {
        std::optional<SyntaxHighlighter::StyledText> styled = m_engine->highlight(code, language, true);
        const std::shared_ptr<SyntaxHighlighter::Theme> theme = m_engine->theme();
        if (!styled || !theme || !theme->themeBackgroundColor())
            return styled;
        SyntaxHighlighter::StyledText result;
        const std::u16string_view text = styled->text();
        for (const auto& run : styled->runs()) {
            SyntaxHighlighter::TextAttributes attributes = run.attributes;
            if (attributes.background == theme->themeBackgroundColor())
                attributes.background.reset();
            result.append(text.substr(run.range.location, run.range.length), attributes);
        }
        return result;
    }

private:
    std::unique_ptr<SyntaxHighlighter::SyntaxHighlighter> m_engine;
};

} // namespace

QS_MODULE_ENTRY HighlightingEngine* quillstack_make_highlighting_engine() {
    std::unique_ptr<SyntaxHighlighter::SyntaxHighlighter> engine = SyntaxHighlighter::SyntaxHighlighter::create();
    return engine ? new ScriptEngine(std::move(engine)) : nullptr;
}

static_assert(std::is_same_v<decltype(&quillstack_make_highlighting_engine), MakeHighlightingEngine>);
