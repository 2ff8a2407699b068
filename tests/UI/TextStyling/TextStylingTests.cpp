// The Qt side of the highlighter: styled text into QTextDocument, the HTML import of the slow
// path on the GUI thread, and the text storage's main queue.
#include <SyntaxHighlighter/SyntaxHighlighter.h>
#include <UI/TextStyling/QtHTMLImporter.h>
#include <UI/TextStyling/QtMainQueue.h>
#include <UI/TextStyling/TextStyling.h>

#include <QTest>
#include <QTextBlock>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

using namespace SyntaxHighlighter;

namespace {

ResourceBundle testBundle() {
    const char* resources = std::getenv("QS_RESOURCE_DIR");
    std::filesystem::path base =
        resources ? resources : std::filesystem::path(QS_TEST_BINARY_DIR) / "share/quillstack";
    return *ResourceBundle::at(base / ResourceBundle::kDirectoryName);
}

Color rgb(unsigned value) {
    return {((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0, (value & 0xFF) / 255.0, 1};
}

TEST(TextStylingTest, FormatsCarryOnlyTheAttributesThatAreSet) {
    QTextCharFormat empty = TextStyling::toCharFormat({});
    EXPECT_FALSE(empty.hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_FALSE(empty.hasProperty(QTextFormat::BackgroundBrush));
    EXPECT_FALSE(empty.hasProperty(QTextFormat::FontFamilies));

    Font font{"DejaVu Sans Mono", "Bold Oblique", 700, true, 13.5};
    QTextCharFormat full = TextStyling::toCharFormat({rgb(0xc678dd), rgb(0x282c34), font});
    EXPECT_EQ(full.foreground().color(), QColor(0xc6, 0x78, 0xdd));
    EXPECT_EQ(full.background().color(), QColor(0x28, 0x2c, 0x34));
    EXPECT_EQ(full.font().family(), "DejaVu Sans Mono");
    EXPECT_EQ(full.font().weight(), QFont::Bold);
    EXPECT_TRUE(full.font().italic());
    EXPECT_DOUBLE_EQ(full.font().pointSizeF(), 13.5);

    TextAttributes back = TextStyling::fromCharFormat(full);
    EXPECT_EQ(TextStyling::toQColor(*back.foreground), QColor(0xc6, 0x78, 0xdd));
    EXPECT_EQ(TextStyling::toQColor(*back.background), QColor(0x28, 0x2c, 0x34));
    EXPECT_EQ(back.font->family, "DejaVu Sans Mono");
    EXPECT_EQ(back.font->weight, 700);
    EXPECT_TRUE(back.font->italic);
}

TEST(TextStylingTest, DocumentGetsTheTextAndOneFormatPerRun) {
    auto engine = SyntaxHighlighter::SyntaxHighlighter::create(testBundle());
    ASSERT_TRUE(engine);
    ASSERT_TRUE(engine->setTheme("atom-one-dark"));
    std::u16string code = u"int main() {\n\treturn 42; // \U0001F600 & done\n}\n";
    auto styled = engine->highlight(code, "cpp", true);
    ASSERT_TRUE(styled);

    QTextDocument document;
    TextStyling::setStyledText(document, *styled);
    EXPECT_EQ(document.toPlainText(), QString::fromStdU16String(code));
    // Line breaks become block separators; every other unit keeps its position and its run's style.
    for (std::size_t i = 0; i < code.size(); ++i) {
        if (code[i] == u'\n')
            continue;
        QTextCursor cursor(&document);
        cursor.setPosition(static_cast<int>(i));
        cursor.setPosition(static_cast<int>(i) + 1, QTextCursor::KeepAnchor);
        QTextCharFormat format = cursor.charFormat();
        const TextAttributes& expected = styled->attributes(i);
        EXPECT_EQ(format.foreground().color(), TextStyling::toQColor(*expected.foreground)) << i;
        EXPECT_EQ(format.font().italic(), expected.font->italic) << i;
    }

    // Replacing the content leaves nothing of the old text.
    TextStyling::setStyledText(document, StyledText(u"a\r\nb", {}));
    EXPECT_EQ(document.blockCount(), 2);
    EXPECT_EQ(document.toPlainText(), "a\nb");
}

TEST(TextStylingTest, SlowPathImportsTheThemeRulesOnTheGUIThread) {
    auto engine = SyntaxHighlighter::SyntaxHighlighter::create(testBundle());
    ASSERT_TRUE(engine);
    ASSERT_TRUE(engine->setTheme("xcode"));
    engine->setHTMLImporter(std::make_shared<TextStyling::QtHTMLImporter>());

    std::u16string code = u"return a < b && c; // x\nint y;";
    auto onGUIThread = engine->highlight(code, "cpp", false);
    ASSERT_TRUE(onGUIThread);
    EXPECT_EQ(onGUIThread->text(), code);
    // The theme's keyword rule.
    EXPECT_EQ(TextStyling::toQColor(*onGUIThread->attributes(0).foreground), QColor(0xaa, 0x0d, 0x91));

    // From a worker the import still happens on the GUI thread, which keeps its event loop going.
    std::optional<StyledText> fromWorker;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        fromWorker = engine->highlight(code, "cpp", false);
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 10000));
    worker.join();
    ASSERT_TRUE(fromWorker);
    EXPECT_EQ(*fromWorker, *onGUIThread);
}

class CountingDelegate : public HighlightDelegate {
public:
    void didHighlight(Range, bool success) override {
        onGUIThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        successes += success ? 1 : 0;
    }
    std::atomic<int> successes = 0;
    std::atomic<bool> onGUIThread = false;
};

TEST(TextStylingTest, TextStorageAppliesPassesThroughTheQtMainQueue) {
    auto engine = std::shared_ptr<SyntaxHighlighter::SyntaxHighlighter>(
        SyntaxHighlighter::SyntaxHighlighter::create(testBundle()));
    ASSERT_TRUE(engine);
    CodeAttributedString storage(engine, std::make_shared<TextStyling::QtMainQueue>());
    auto delegate = std::make_shared<CountingDelegate>();
    storage.setHighlightDelegate(delegate);
    storage.replaceCharacters({0, 0}, u"let x = 1;");
    storage.setLanguage("javascript");
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate->successes.load() == 1; }, 10000));
    EXPECT_TRUE(delegate->onGUIThread);
    EXPECT_EQ(storage.styledText(), *engine->highlight(u"let x = 1;", "javascript", true));
}

} // namespace
