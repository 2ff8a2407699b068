#pragma once
// The syntax-highlighting engine: highlight.js in JavaScriptCore, its HTML turned into styled text
// in the colours and fonts of a highlight.js theme.

#include "HTMLImporter.h"
#include "ResourceBundle.h"
#include "StyledText.h"
#include "Theme.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SyntaxHighlighter {

class HighlightScript;

class SyntaxHighlighter {
public:
    using ThemeChanged = std::function<void(const std::shared_ptr<Theme>&)>;

    // An engine over the process-wide resource bundle, or over an explicit bundle. The script is
    // the bundle's "highlight.min.js" unless a script path is given; themes always come from the
    // bundle. None when the bundle, the script, its "hljs" object or the "pojoaque" theme is
    // missing; callers then show plain text.
    static std::unique_ptr<SyntaxHighlighter> create(std::optional<std::filesystem::path> highlightPath = {});
    static std::unique_ptr<SyntaxHighlighter> create(const ResourceBundle& bundle,
                                                     std::optional<std::filesystem::path> highlightPath = {});
    ~SyntaxHighlighter();
    SyntaxHighlighter(const SyntaxHighlighter&) = delete;
    SyntaxHighlighter& operator=(const SyntaxHighlighter&) = delete;

    // The current theme. Assigning one stores it and then calls themeChanged with it, on the
    // assigning thread.
    std::shared_ptr<Theme> theme() const;
    void setTheme(std::shared_ptr<Theme> theme);
    void setThemeChanged(ThemeChanged callback);

    bool ignoreIllegals() const;
    void setIgnoreIllegals(bool ignoreIllegals);

    // Used by highlight() without fast rendering; none by default.
    void setHTMLImporter(std::shared_ptr<HTMLImporter> importer);

    // Loads "<name>.min.css" from the bundle and makes it the current theme. False, with nothing
    // changed, when the bundle has no such readable file or the name would leave the bundle.
    bool setTheme(std::string_view name);

    // The code highlighted in the named language, or with automatic detection when no language is
    // given or the script rejects it. Fast rendering converts the script's HTML on the calling
    // thread; otherwise the HTML importer imports it with the theme's rules. None on failure.
    // Lone surrogates in the code reach the script as U+FFFD.
    std::optional<StyledText> highlight(std::u16string_view code, std::optional<std::string_view> language,
                                        bool fastRender);

    // Theme names the bundle offers ("xcode" for "xcode.min.css"; a plain ".css" file keeps its
    // ending), sorted.
    std::vector<std::string> availableThemes() const;
    // Language names the script knows; empty on any failure.
    std::vector<std::string> supportedLanguages();

private:
    SyntaxHighlighter(ResourceBundle bundle, std::unique_ptr<HighlightScript> script);

    ResourceBundle m_bundle;
    // One script call at a time, whichever threads share the engine.
    std::mutex m_scriptMutex;
    std::unique_ptr<HighlightScript> m_script;
    // Theme, callback and options may be set from another thread than the one highlighting.
    mutable std::mutex m_mutex;
    std::shared_ptr<Theme> m_theme;
    ThemeChanged m_themeChanged;
    bool m_ignoreIllegals = false;
    std::shared_ptr<HTMLImporter> m_htmlImporter;
};

} // namespace SyntaxHighlighter
