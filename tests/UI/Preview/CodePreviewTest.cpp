// The code preview: what it shows and hands to the engine, how many highlighting calls each kind of
// language costs (a counting stand-in), the real highlight.js colours in light and dark, a font
// size change without new work, the engine missing, and results that come too late.
#include "PreviewFixture.h"

#include <Capture/DefaultSettings.h>
#include <UI/Preview/CodeHighlighting.h>
#include <UI/Preview/CodePreview.h>
#include <UI/TextStyling/TextStyling.h>

#include <QSignalSpy>
#include <QTextBlock>
#include <QTextLayout>
#include <QThread>

#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

namespace {

using SyntaxHighlighter::StyledText;

// What an engine was asked, from whichever thread asked it.
struct EngineLog {
    std::mutex mutex;
    int made = 0;
    std::vector<std::optional<std::string>> languages;
    std::vector<std::u16string> codes;
    std::set<std::thread::id> threads;

    int calls() {
        std::lock_guard lock(mutex);
        return static_cast<int>(languages.size());
    }
};

// Holds requests on the worker until opened.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = true;

    void wait() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return open; });
    }
    void set(bool value) {
        {
            std::lock_guard lock(mutex);
            open = value;
        }
        changed.notify_all();
    }
};

const SyntaxHighlighter::Color kLightInk{0.1, 0.2, 0.9, 1};
const SyntaxHighlighter::Color kDarkInk{0.9, 0.6, 0.1, 1};

// A stand-in that only counts: any text in one colour per theme, nothing for the language
// "klingon". Counting is all it is for; colours are checked with the real engine.
class CountingStandIn : public CodeHighlighting::Engine {
public:
    CountingStandIn(std::shared_ptr<EngineLog> log, std::shared_ptr<Gate> gate)
        : m_log(std::move(log)), m_gate(std::move(gate)) {}

    bool setTheme(std::string_view name) override {
        m_dark = name == CodeHighlighting::kDarkTheme;
        return true;
    }
    std::optional<StyledText> highlight(std::u16string_view code,
                                        std::optional<std::string_view> language) override {
        m_gate->wait();
        {
            std::lock_guard lock(m_log->mutex);
            m_log->languages.push_back(language ? std::optional<std::string>(*language) : std::nullopt);
            m_log->codes.emplace_back(code);
            m_log->threads.insert(std::this_thread::get_id());
        }
        if (language == "klingon")
            return std::nullopt;
        SyntaxHighlighter::TextAttributes attributes;
        attributes.foreground = m_dark ? kDarkInk : kLightInk;
        return StyledText(std::u16string(code), attributes);
    }

private:
    std::shared_ptr<EngineLog> m_log;
    std::shared_ptr<Gate> m_gate;
    bool m_dark = false;
};

// The real highlight.js engine with its calls counted.
class CountedRealEngine : public CodeHighlighting::Engine {
public:
    CountedRealEngine(std::unique_ptr<CodeHighlighting::Engine> real, std::shared_ptr<EngineLog> log)
        : m_real(std::move(real)), m_log(std::move(log)) {}
    bool setTheme(std::string_view name) override { return m_real->setTheme(name); }
    std::optional<StyledText> highlight(std::u16string_view code,
                                        std::optional<std::string_view> language) override {
        {
            std::lock_guard lock(m_log->mutex);
            m_log->languages.push_back(language ? std::optional<std::string>(*language) : std::nullopt);
        }
        return m_real->highlight(code, language);
    }

private:
    std::unique_ptr<CodeHighlighting::Engine> m_real;
    std::shared_ptr<EngineLog> m_log;
};

class CodePreviewTest : public PreviewFixture {
protected:
    // A service of its own over the stand-in; `gate` holds its requests while closed.
    std::unique_ptr<CodeHighlighting> standInService() {
        return std::make_unique<CodeHighlighting>([log = log, gate = gate] {
            {
                std::lock_guard lock(log->mutex);
                ++log->made;
                log->threads.insert(std::this_thread::get_id());
            }
            return std::make_unique<CountingStandIn>(log, gate);
        });
    }
    std::unique_ptr<CodeHighlighting> realService() {
        return std::make_unique<CodeHighlighting>([log = log]() -> std::unique_ptr<CodeHighlighting::Engine> {
            auto real = CodeHighlighting::makeDefaultEngine();
            if (!real)
                return nullptr;
            return std::make_unique<CountedRealEngine>(std::move(real), log);
        });
    }

    static bool settles(CodePreview& preview, int timeoutMs = 10000) {
        QSignalSpy settled(&preview, &CodePreview::highlightingSettled);
        return settled.wait(timeoutMs);
    }

    // The colour the text at `position` is drawn in, from the formats over its line.
    static std::optional<QColor> colourAt(const CodePreview& preview, int position) {
        const QTextBlock block = preview.document()->findBlock(position);
        const int offset = position - block.position();
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (offset >= range.start && offset < range.start + range.length &&
                range.format.hasProperty(QTextFormat::ForegroundBrush))
                return range.format.foreground().color();
        }
        return std::nullopt;
    }

    std::shared_ptr<EngineLog> log = std::make_shared<EngineLog>();
    std::shared_ptr<Gate> gate = std::make_shared<Gate>();
};

TEST_F(CodePreviewTest, ShowsAndHighlightsAtMost6000Characters) {
    const QString grinning = QStringLiteral("😀");
    const QString family = QStringLiteral("👨‍👩‍👧");
    const struct {
        const char* name;
        QString code;
        QString shown;
    } cases[] = {
        {"exactly 6000", QString(6000, u'a'), QString(6000, u'a')},
        {"6001", QString(6001, u'a'), QString(6000, u'a') + QStringLiteral("\n…")},
        {"6000 emoji, 12000 code units", grinning.repeated(6000), grinning.repeated(6000)},
        {"6000 joined families", family.repeated(6000), family.repeated(6000)},
        {"6001 emoji", grinning.repeated(6001), grinning.repeated(6000) + QStringLiteral("\n…")},
        {"CR LF lines", QStringLiteral("a\r\nb"), QStringLiteral("a\nb")},
    };
    auto service = standInService();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CodePreview preview(c.code, QStringLiteral("cpp"), &defaults, nullptr, service.get());
        ASSERT_TRUE(settles(preview));
        EXPECT_EQ(preview.toPlainText(), c.shown);
        std::lock_guard lock(log->mutex);
        EXPECT_EQ(log->codes.back(), c.shown.toStdU16String()) << "the engine gets what is shown";
    }
}

TEST_F(CodePreviewTest, CallsPerRequestByLanguage) {
    const struct {
        const char* name;
        std::optional<QString> language;
        std::vector<std::optional<std::string>> calls;
    } cases[] = {
        {"none: one call, detecting", std::nullopt, {std::nullopt}},
        {"known: one call", QStringLiteral("cpp"), {"cpp"}},
        {"unknown: that, then detecting", QStringLiteral("klingon"), {"klingon", std::nullopt}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        log->languages.clear();
        auto service = standInService();
        CodePreview preview(QStringLiteral("int x = 1;"), c.language, &defaults, nullptr, service.get());
        ASSERT_TRUE(settles(preview));
        EXPECT_EQ(log->languages, c.calls);
        EXPECT_TRUE(preview.isHighlighted());
    }
}

// The real engine: xcode's and atom-one-dark's keyword colours, a new request per appearance, and
// none for a new font size or a palette of the same lightness.
TEST_F(CodePreviewTest, RealColoursFollowTheAppearanceAndTheFontSizeDoesNotHighlightAgain) {
    const QString code = QStringLiteral("int main() {\n    return 0;\n}\n");
    auto service = realService();
    CodePreview preview(code, QStringLiteral("cpp"), &defaults, nullptr, service.get());
    preview.resize(400, 200);
    preview.show();
    ASSERT_TRUE(settles(preview, 20000));
    ASSERT_TRUE(preview.isHighlighted());
    EXPECT_TRUE(preview.taskKey().endsWith(u"-cpp-l"));
    const int returnAt = static_cast<int>(code.indexOf(QStringLiteral("return")));
    EXPECT_EQ(colourAt(preview, 0), QColor(0x5c, 0x26, 0x99)) << "xcode's type colour";
    EXPECT_EQ(colourAt(preview, returnAt), QColor(0xaa, 0x0d, 0x91)) << "xcode's keyword colour";
    EXPECT_EQ(log->calls(), 1);

    setDark(true);
    EXPECT_TRUE(preview.taskKey().endsWith(u"-cpp-d"));
    ASSERT_TRUE(settles(preview));
    EXPECT_EQ(colourAt(preview, 0), QColor(0xd1, 0x9a, 0x66)) << "atom-one-dark's type colour";
    EXPECT_EQ(colourAt(preview, returnAt), QColor(0xc6, 0x78, 0xdd)) << "atom-one-dark's keyword colour";
    EXPECT_EQ(log->calls(), 2);

    defaults.setValue(App::SettingsKeys::previewFontSize, 16);
    EXPECT_EQ(preview.fontSize(), 16);
    EXPECT_EQ(preview.font().pixelSize(), 16);
    QPalette sameLightness = App::AppearanceManager::darkPalette();
    sameLightness.setColor(QPalette::Window, QColor(20, 20, 20));
    QApplication::setPalette(sameLightness);
    QTest::qWait(300);
    EXPECT_EQ(log->calls(), 2) << "neither the size nor a palette of the same lightness highlights again";
    EXPECT_EQ(colourAt(preview, returnAt), QColor(0xc6, 0x78, 0xdd));
    defaults.setValue(App::SettingsKeys::previewFontSize, 99);
    EXPECT_EQ(preview.fontSize(), 18) << "kept within 10 to 18";
}

TEST_F(CodePreviewTest, WithoutAnEngineTheTextStaysPlainSelectableAndScrolling) {
    CodeHighlighting service([] { return std::unique_ptr<CodeHighlighting::Engine>(); });
    const QString code = QString(7000, u'x');
    CodePreview preview(code, QStringLiteral("cpp"), &defaults, nullptr, &service);
    ASSERT_TRUE(settles(preview));
    EXPECT_FALSE(preview.isHighlighted());
    EXPECT_EQ(preview.toPlainText(), CodePreview::shownCode(code));
    EXPECT_TRUE(preview.isReadOnly());
    EXPECT_TRUE(preview.textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    EXPECT_EQ(preview.lineWrapMode(), QPlainTextEdit::NoWrap) << "long lines scroll sideways";
}

TEST_F(CodePreviewTest, ResultsForInputsNoLongerShownAreDropped) {
    auto service = standInService();
    gate->set(false);
    {
        // Gone before its answer: nothing reaches it.
        CodePreview gone(QStringLiteral("let a = 1"), QStringLiteral("rust"), &defaults, nullptr,
                         service.get());
    }
    CodePreview preview(QStringLiteral("let b = 2"), QStringLiteral("rust"), &defaults, nullptr,
                        service.get());
    QSignalSpy settled(&preview, &CodePreview::highlightingSettled);
    setDark(true);
    gate->set(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return log->calls() == 3; }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(settled.count(), 1) << "only the dark request's answer is taken in";
    EXPECT_EQ(colourAt(preview, 0), TextStyling::toQColor(kDarkInk));
}

TEST_F(CodePreviewTest, OneEngineOnOneWorkerForEveryPreview) {
    EXPECT_EQ(&CodeHighlighting::shared(), &CodeHighlighting::shared());
    auto service = standInService();
    CodePreview first(QStringLiteral("a"), std::nullopt, &defaults, nullptr, service.get());
    setDark(true);
    CodePreview second(QStringLiteral("b"), std::nullopt, &defaults, nullptr, service.get());
    ASSERT_TRUE(settles(second));
    EXPECT_EQ(log->made, 1);
    EXPECT_EQ(log->threads.size(), 1u) << "made and used on one thread";
    EXPECT_EQ(log->threads.count(std::this_thread::get_id()), 0u) << "never on the GUI thread";
}

} // namespace
