#pragma once

#include <SyntaxHighlighter/StyledText.h>

#include <optional>
#include <string_view>

// What the code previews need of a highlighting engine. The application's engine (highlight.js in
// JavaScriptCore) lives in the highlighting module, which CodeHighlighting opens the first time code
// is to be highlighted, so that a start loads neither JavaScriptCore nor highlight.js.
class HighlightingEngine {
public:
    virtual ~HighlightingEngine() = default;
    virtual bool setTheme(std::string_view name) = 0;
    // The code styled in the current theme; with no language, the engine detects one. Nothing
    // when the engine gives no result (an unknown language included).
    virtual std::optional<SyntaxHighlighter::StyledText> highlight(std::u16string_view code,
                                                                   std::optional<std::string_view> language) = 0;
};

// The highlighting module, and what it exports.
inline constexpr char kHighlightingModule[] = "quillstack-highlighting.so";
inline constexpr char kHighlightingEntry[] = "quillstack_make_highlighting_engine";
// Makes the module's engine over the resource bundle's highlight.js; null when it cannot start.
// The caller owns the engine.
using MakeHighlightingEngine = HighlightingEngine* (*)();
