#include "CodeHighlighting.h"

#include <SyntaxHighlighter/HighlightEngine.h>
#include <SyntaxHighlighter/SerialWorker.h>

#include <QCoreApplication>

namespace {

// The highlight.js engine. The theme's page background is dropped from the runs: the previews
// draw on their own card, and only backgrounds that mark something (a diff's lines) are kept.
class ScriptEngine final : public CodeHighlighting::Engine {
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

CodeHighlighting* sharedService = nullptr;

// Results travel back to the GUI thread through an object that is never destroyed: a job may still
// be finishing on its thread after the service that queued it has gone. Made on the GUI thread by
// the first request.
QObject* resultsContext() {
    static QObject* context = new QObject;
    return context;
}

} // namespace

// The engine as the worker holds it: made by the first request, on the worker.
struct CodeHighlighting::EngineSlot {
    bool made = false;
    std::unique_ptr<Engine> engine;
    // The theme the engine holds, when one was set: a request for the same one need not load it
    // again.
    std::optional<bool> dark;
};

CodeHighlighting& CodeHighlighting::shared() {
    if (!sharedService) {
        sharedService = new CodeHighlighting(&CodeHighlighting::makeDefaultEngine);
        // Gone with the application object, while the engine's own libraries are still whole.
        qAddPostRoutine([] {
            delete sharedService;
            sharedService = nullptr;
        });
    }
    return *sharedService;
}

std::unique_ptr<CodeHighlighting::Engine> CodeHighlighting::makeDefaultEngine() {
    std::unique_ptr<SyntaxHighlighter::SyntaxHighlighter> engine =
        SyntaxHighlighter::SyntaxHighlighter::create();
    if (!engine)
        return nullptr;
    return std::make_unique<ScriptEngine>(std::move(engine));
}

CodeHighlighting::CodeHighlighting(EngineFactory factory, QObject* parent)
    : QObject(parent), m_factory(std::move(factory)), m_engine(std::make_shared<EngineSlot>()) {}

CodeHighlighting::~CodeHighlighting() {
    m_worker.reset();
}

void CodeHighlighting::highlight(QString code, std::optional<QString> language, bool dark, QObject* receiver,
                                 std::function<void(std::optional<SyntaxHighlighter::StyledText>)> done) {
    if (!m_worker)
        m_worker = std::make_unique<SyntaxHighlighter::SerialWorker>();
    // Checked and called on this service's thread only.
    QPointer<QObject> guard(receiver);
    m_worker->post([context = resultsContext(), slot = m_engine, factory = m_factory, code = std::move(code),
                    language = std::move(language), dark, guard, done = std::move(done)]() mutable {
        if (!slot->made) {
            slot->made = true;
            slot->engine = factory ? factory() : nullptr;
        }
        std::optional<SyntaxHighlighter::StyledText> result;
        if (slot->engine) {
            if (slot->dark != dark)
                slot->dark = slot->engine->setTheme(dark ? kDarkTheme : kLightTheme) ? std::optional(dark)
                                                                                     : std::nullopt;
            const std::u16string_view text(reinterpret_cast<const char16_t*>(code.utf16()),
                                           static_cast<std::size_t>(code.size()));
            if (language) {
                const std::string name = language->toStdString();
                result = slot->engine->highlight(text, name);
            }
            if (!result)
                result = slot->engine->highlight(text, std::nullopt);
        }
        QMetaObject::invokeMethod(
            context,
            [guard, done = std::move(done), result = std::move(result)]() mutable {
                if (guard)
                    done(std::move(result));
            },
            Qt::QueuedConnection);
    });
}
