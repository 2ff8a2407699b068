#include "HighlightEngine.h"

#include "HighlightOutput.h"
#include "HighlightScript.h"
#include "UTF.h"

#include <algorithm>

namespace SyntaxHighlighter {
namespace {

constexpr std::string_view kStartingTheme = "pojoaque";
constexpr std::string_view kThemeSuffix = ".min.css";

} // namespace

SyntaxHighlighter::SyntaxHighlighter(ResourceBundle bundle, std::unique_ptr<HighlightScript> script)
    : m_bundle(std::move(bundle)), m_script(std::move(script)) {}

SyntaxHighlighter::~SyntaxHighlighter() = default;

std::unique_ptr<SyntaxHighlighter>
SyntaxHighlighter::create(std::optional<std::filesystem::path> highlightPath) {
    const auto& bundle = ResourceBundle::module();
    if (!bundle)
        return nullptr;
    return create(*bundle, std::move(highlightPath));
}

std::unique_ptr<SyntaxHighlighter>
SyntaxHighlighter::create(const ResourceBundle& bundle, std::optional<std::filesystem::path> highlightPath) {
    if (!highlightPath)
        highlightPath = bundle.pathForResource("highlight.min", "js");
    if (!highlightPath)
        return nullptr;
    auto script = readFile(*highlightPath);
    if (!script)
        return nullptr;
    auto loaded = HighlightScript::load(*script);
    if (!loaded)
        return nullptr;
    std::unique_ptr<SyntaxHighlighter> engine(new SyntaxHighlighter(bundle, std::move(loaded)));
    if (!engine->setTheme(kStartingTheme))
        return nullptr;
    return engine;
}

std::shared_ptr<Theme> SyntaxHighlighter::theme() const {
    std::lock_guard lock(m_mutex);
    return m_theme;
}

void SyntaxHighlighter::setTheme(std::shared_ptr<Theme> theme) {
    ThemeChanged callback;
    {
        std::lock_guard lock(m_mutex);
        m_theme = theme;
        callback = m_themeChanged;
    }
    if (callback && theme)
        callback(theme);
}

void SyntaxHighlighter::setThemeChanged(ThemeChanged callback) {
    std::lock_guard lock(m_mutex);
    m_themeChanged = std::move(callback);
}

bool SyntaxHighlighter::ignoreIllegals() const {
    std::lock_guard lock(m_mutex);
    return m_ignoreIllegals;
}

void SyntaxHighlighter::setIgnoreIllegals(bool ignoreIllegals) {
    std::lock_guard lock(m_mutex);
    m_ignoreIllegals = ignoreIllegals;
}

void SyntaxHighlighter::setHTMLImporter(std::shared_ptr<HTMLImporter> importer) {
    std::lock_guard lock(m_mutex);
    m_htmlImporter = std::move(importer);
}

bool SyntaxHighlighter::setTheme(std::string_view name) {
    auto path = m_bundle.pathForResource(std::string(name) + ".min", "css");
    if (!path)
        return false;
    auto css = readFile(*path);
    if (!css)
        return false;
    setTheme(std::make_shared<Theme>(std::move(*css)));
    return true;
}

std::optional<StyledText> SyntaxHighlighter::highlight(std::u16string_view code,
                                                       std::optional<std::string_view> language,
                                                       bool fastRender) {
    std::string utf8Code = utf16ToUtf8(code);
    HighlightScript::Output output;
    {
        std::lock_guard lock(m_scriptMutex);
        if (language)
            output = m_script->highlight(*language, utf8Code, ignoreIllegals());
        if (output.kind == HighlightScript::Output::Kind::Undefined)
            output = m_script->highlightAuto(utf8Code);
    }
    if (output.kind != HighlightScript::Output::Kind::HTML)
        return std::nullopt;

    std::shared_ptr<Theme> currentTheme;
    std::shared_ptr<HTMLImporter> importer;
    {
        std::lock_guard lock(m_mutex);
        currentTheme = m_theme;
        importer = m_htmlImporter;
    }
    if (!currentTheme)
        return std::nullopt;
    if (fastRender)
        return processHTMLString(utf8ToUtf16(output.html), *currentTheme);

    if (!importer || !currentTheme->lightTheme())
        return std::nullopt;
    std::string document = "<style>" + *currentTheme->lightTheme() + "</style><pre><code class=\"hljs\">" +
                           output.html + "</code></pre>";
    return importer->importHTML(document);
}

std::vector<std::string> SyntaxHighlighter::availableThemes() const {
    std::vector<std::string> names = m_bundle.resourceNames("css");
    for (std::string& name : names) {
        std::size_t found;
        while ((found = name.find(kThemeSuffix)) != std::string::npos)
            name.erase(found, kThemeSuffix.size());
    }
    std::ranges::sort(names);
    return names;
}

std::vector<std::string> SyntaxHighlighter::supportedLanguages() {
    std::lock_guard lock(m_scriptMutex);
    return m_script->listLanguages().value_or(std::vector<std::string>{});
}

} // namespace SyntaxHighlighter
