#pragma once

#include "HighlightingEngine.h"

#include <SyntaxHighlighter/StyledText.h>

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace SyntaxHighlighter {
class SerialWorker;
}

// The highlighting behind every code preview of the process: one engine and one worker thread that
// runs the requests one at a time, in the order they came. Both are made on first use and live as
// long as the service; the engine is made, used and asked for themes on the worker only, and each
// request sets its own theme first, so a light and a dark request never mix. Results come back on
// the thread the service lives on (the GUI thread).
class CodeHighlighting : public QObject {
    Q_OBJECT
public:
    static constexpr std::string_view kDarkTheme = "atom-one-dark";
    static constexpr std::string_view kLightTheme = "xcode";

    using Engine = HighlightingEngine;
    // Makes the engine on the worker; may give none (the code then stays plain for good).
    using EngineFactory = std::function<std::unique_ptr<Engine>()>;

    // The application's service over the highlight.js engine of the resource bundle.
    static CodeHighlighting& shared();
    // The highlight.js engine with its fast rendering, from the highlighting module (opened on the
    // first call); none when the module is missing or the engine cannot start.
    static std::unique_ptr<Engine> makeDefaultEngine();

    explicit CodeHighlighting(EngineFactory factory, QObject* parent = nullptr);
    // Drops requests not yet started and waits for the one running.
    ~CodeHighlighting() override;

    // Highlights `code` on the worker: in `language` when given, else (or when that gives nothing)
    // with detection, in the dark or light theme. `done` runs on this service's thread with the
    // result (nothing when highlighting failed), and not at all once `receiver` is gone.
    void highlight(QString code, std::optional<QString> language, bool dark, QObject* receiver,
                   std::function<void(std::optional<SyntaxHighlighter::StyledText>)> done);

private:
    struct EngineSlot;

    EngineFactory m_factory;
    std::shared_ptr<EngineSlot> m_engine;
    // Last member: stopped first, so no request runs once the rest is gone.
    std::unique_ptr<SyntaxHighlighter::SerialWorker> m_worker;
};
