#pragma once
// The highlight.js script running in a JavaScriptCore context (GLib API).

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SyntaxHighlighter {

class HighlightScript {
public:
    // What one call of "highlight" or "highlightAuto" gave.
    struct Output {
        enum class Kind {
            Undefined, // the call gave the undefined value (also when the function threw)
            NoHTML,    // a result without a usable "value"
            HTML,
        };
        Kind kind = Kind::Undefined;
        std::string html; // UTF-8, for Kind::HTML
    };

    // Evaluates the script (UTF-8) after defining a silent "console"; none when no context can be
    // made or the script defines no global "hljs".
    static std::unique_ptr<HighlightScript> load(std::string_view script);
    ~HighlightScript();
    HighlightScript(const HighlightScript&) = delete;
    HighlightScript& operator=(const HighlightScript&) = delete;

    // hljs.highlight(language, code, ignoreIllegals) and hljs.highlightAuto(code); code in UTF-8.
    Output highlight(std::string_view language, std::string_view code, bool ignoreIllegals);
    Output highlightAuto(std::string_view code);
    // hljs.listLanguages(); none unless the result is an array of strings only.
    std::optional<std::vector<std::string>> listLanguages();

private:
    struct Context;
    explicit HighlightScript(std::unique_ptr<Context> context);
    std::unique_ptr<Context> m_context;
};

} // namespace SyntaxHighlighter
