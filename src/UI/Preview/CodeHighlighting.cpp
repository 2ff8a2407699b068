#include "CodeHighlighting.h"

#include <Platform/Modules/EngineModules.h>
#include <SyntaxHighlighter/SerialWorker.h>

#include <QCoreApplication>

namespace {

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
    std::string error;
    const auto make = Platform::EngineModules::entryAs<MakeHighlightingEngine>(kHighlightingModule,
                                                                                kHighlightingEntry, error);
    if (!make) {
        Platform::EngineModules::reportUnavailable(kHighlightingModule, error, "code is shown without colours.");
        return nullptr;
    }
    return std::unique_ptr<Engine>(make());
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
