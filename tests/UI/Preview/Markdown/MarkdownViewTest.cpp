// The Markdown view as a user meets it: sizes from the setting, followed live without parsing
// again; inline code in a heading; markers painted in their colours; selection and copying across
// rows; a long text shown plain until parsed off the GUI thread, a stale parse dropped; only rows
// near the viewport laid out; code blocks highlighted by the real engine in the appearance's theme.
#include "MarkdownFixture.h"

#include <Capture/DefaultSettings.h>
#include <UI/Preview/CodeHighlighting.h>
#include <UI/Preview/Markdown/MarkdownCodeHighlighting.h>

#include <UI/Preview/Markdown/MDRowLayout.h>

#include <QClipboard>
#include <QScrollBar>
#include <QThreadPool>

namespace {

using MDBlockView::Role;

class MarkdownViewTest : public MarkdownFixture {
protected:
    // A realistic README, `copies` times over.
    static QString readme(int copies) {
        const QString one = QStringLiteral(
            "## Section\n\nSome **bold** text with a [link](https://example.com) and `code`, long enough "
            "to wrap over a few lines in the pane.\n\n- one\n- two\n  - nested\n\n> quoted line\n\n"
            "```cpp\nint main() { return 0; }\n```\n\n| a | b |\n|---|---|\n| 1 | 2 |\n\n");
        QString text;
        text.reserve(one.size() * copies);
        for (int copy = 0; copy < copies; ++copy)
            text += one;
        return text;
    }

    static const QTextLayout& textOf(MarkdownPreviewView& shown, int row) {
        return *shown.rowLayout(row).pieces.at(0).text;
    }

    // The colours drawn inside `rect` of the view.
    static std::set<QRgb> coloursIn(MarkdownPreviewView& shown, const QRect& rect) {
        QImage image(shown.viewport()->size(), QImage::Format_ARGB32);
        image.fill(shown.palette().color(QPalette::Window));
        shown.viewport()->render(&image);
        std::set<QRgb> colours;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                colours.insert(image.pixel(x, y) & 0xffffff);
        return colours;
    }
};

TEST_F(MarkdownViewTest, SizesFollowTheSettingLiveWithoutParsingAgain) {
    const auto shown = view(QStringLiteral("# One\n\n### Three\n\n##### Five\n\n###### Six\n\nBody text"));
    const struct {
        int row;
        int size;
        QFont::Weight weight;
        bool rule;
    } expected[] = {
        {0, 21, QFont::Bold, true},      {1, 16, QFont::DemiBold, false}, {2, 13, QFont::DemiBold, false},
        {3, 13, QFont::DemiBold, false}, {4, 13, QFont::Normal, false},
    };
    for (const auto& row : expected) {
        const QFont font = textOf(*shown, row.row).font();
        EXPECT_EQ(font.pixelSize(), row.size) << row.row;
        EXPECT_EQ(font.weight(), row.weight) << row.row;
        const QRectF rule = shown->rowLayout(row.row).frame;
        EXPECT_EQ(!rule.isEmpty(), row.rule) << row.row;
        if (row.rule) {
            EXPECT_EQ(rule.height(), 1);
            EXPECT_EQ(rule.width(), shown->viewport()->width() - 2 * MDBlockView::kPadding);
        }
    }

    const MDBlockView::Model* parsed = &shown->model();
    defaults.setValue(App::SettingsKeys::previewFontSize, 16);
    EXPECT_EQ(shown->baseSize(), 17);
    EXPECT_EQ(textOf(*shown, 0).font().pixelSize(), 25);
    EXPECT_EQ(textOf(*shown, 4).font().pixelSize(), 17);
    EXPECT_EQ(&shown->model(), parsed) << "a new size lays the same rows out again";
}

TEST_F(MarkdownViewTest, InlineCodeInAHeadingIsOnePointSmallerMonospacedInTheCodeColour) {
    const auto shown = view(QStringLiteral("# Run `make` now\n\nA **[bold link](https://x.org)**."));
    const QList<QTextLayout::FormatRange> heading = textOf(*shown, 0).formats();
    ASSERT_EQ(heading.size(), 1);
    EXPECT_EQ(heading[0].start, 4);
    EXPECT_EQ(heading[0].length, 4);
    const QFont code = heading[0].format.font();
    EXPECT_EQ(code.pixelSize(), 20);
    EXPECT_EQ(code.weight(), QFont::Medium);
    EXPECT_TRUE(QFontInfo(code).fixedPitch());
    EXPECT_EQ(heading[0].format.foreground().color(), QS::Color::badgeCode());

    const QList<QTextLayout::FormatRange> body = textOf(*shown, 1).formats();
    ASSERT_EQ(body.size(), 1);
    EXPECT_EQ(body[0].format.fontWeight(), QFont::Bold);
    EXPECT_TRUE(body[0].format.fontUnderline());
    EXPECT_EQ(body[0].format.foreground().color(), QS::Color::badgeURL());
}

TEST_F(MarkdownViewTest, TaskMarkersArePaintedInTheirColours) {
    const auto shown = view(QStringLiteral("- [x] done\n- [ ] open\n"));
    const QColor brand = QS::Color::brand();
    const auto hasBrand = [&](int row) {
        const QRect rect = shown->rowRect(row);
        const QRect marker(rect.left(), rect.top(), MDBlockView::kCheckboxMarkerWidth, rect.height());
        for (QRgb colour : coloursIn(*shown, marker)) {
            const QColor seen(colour);
            if (std::abs(seen.red() - brand.red()) < 12 && std::abs(seen.green() - brand.green()) < 12 &&
                std::abs(seen.blue() - brand.blue()) < 12)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(hasBrand(0)) << "a checked box is filled in the brand colour";
    EXPECT_FALSE(hasBrand(1)) << "an open box is drawn in the secondary colour";
}

TEST_F(MarkdownViewTest, SelectionCopiesPlainTextAcrossRows) {
    const auto shown =
        view(QStringLiteral("# Title\n\n- item *one*\n- item two\n\n| A | B |\n|---|---|\n| 1 | 2 |\n\n"
                            "```\nx = 1\n```\n"));
    shown->selectAll();
    EXPECT_EQ(shown->selectedText(), QStringLiteral("Title\nitem one\nitem two\nA\tB\n1\t2\nx = 1"));
    QKeyEvent copyKey(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QCoreApplication::sendEvent(shown.get(), &copyKey);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), shown->selectedText());

    // A drag from the first row's start into the middle of the next selects that stretch.
    const QRect title = shown->rowRect(0);
    const QRect item = shown->rowRect(1);
    QTest::mousePress(shown->viewport(), Qt::LeftButton, {}, title.topLeft() + QPoint(1, 4));
    QTest::mouseMove(
        shown->viewport(),
        item.topLeft() +
            QPoint(shown->rowLayout(1).pieces[0].origin.x() +
                       QFontMetrics(textOf(*shown, 1).font()).horizontalAdvance(QStringLiteral("item")),
                   4));
    QTest::mouseRelease(shown->viewport(), Qt::LeftButton, {}, item.topLeft() + QPoint(60, 4));
    EXPECT_TRUE(shown->selectedText().startsWith(QStringLiteral("Title\nitem")))
        << shown->selectedText().toStdString();

    // A double click selects the word under the pointer.
    const QRect cell = shown->rowRect(3);
    QTest::mouseDClick(shown->viewport(), Qt::LeftButton, {}, cell.topLeft() + QPoint(14, 10));
    EXPECT_EQ(shown->selectedText(), QStringLiteral("A"));
}

TEST_F(MarkdownViewTest, LongTextShowsPlainUntilParsedOffTheGuiThreadAndDropsAStaleParse) {
    const QString longText = readme(1500);
    ASSERT_GT(longText.size(), MarkdownPreviewView::kInlineParseLimit);
    MarkdownPreviewView shown(longText, 12, &defaults);
    shown.resize(460, 600);
    shown.show();
    EXPECT_FALSE(shown.isDocumentReady());
    ASSERT_FALSE(shown.model().rows.empty());
    EXPECT_EQ(shown.model().rows[0].role, Role::Plain);
    EXPECT_TRUE(shown.model().rows[0].text.text.startsWith(QStringLiteral("## Section")));
    QSignalSpy ready(&shown, &MarkdownPreviewView::documentReady);
    ASSERT_TRUE(ready.wait(20000));
    EXPECT_EQ(shown.model().rows[0].role, Role::Heading);

    // The same text again (the pane makes its content anew) is ready at once.
    MarkdownPreviewView again(longText, 14, &defaults);
    EXPECT_TRUE(again.isDocumentReady());

    // A text replaced while its parse runs: the late document is dropped.
    MarkdownPreviewView replaced(longText + QStringLiteral("\nmore"), 12, &defaults);
    QSignalSpy replacedReady(&replaced, &MarkdownPreviewView::documentReady);
    replaced.setSource(QStringLiteral("# Short"));
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(replacedReady.count(), 1);
    ASSERT_EQ(replaced.model().rows.size(), 1u);
    EXPECT_EQ(replaced.model().rows[0].text.text, QStringLiteral("Short"));
}

TEST_F(MarkdownViewTest, OnlyRowsNearTheViewportAreLaidOut) {
    const auto shown = view(readme(8000));
    const std::size_t rows = shown->model().rows.size();
    ASSERT_GT(rows, 50000u);
    shown->viewport()->repaint();
    EXPECT_LT(shown->laidOutRows(), 100u);
    EXPECT_GT(shown->laidOutRows(), 3u);

    // Scrolling through keeps a bounded number of layouts, and the end is reachable.
    QScrollBar* bar = shown->verticalScrollBar();
    for (int step = 0; step <= 20; ++step) {
        bar->setValue(bar->maximum() * step / 20);
        shown->viewport()->repaint();
        EXPECT_LE(shown->laidOutRows(), 1000u);
    }
    bar->setValue(bar->maximum());
    shown->viewport()->repaint();
    bar->setValue(bar->maximum());
    shown->viewport()->repaint();
    EXPECT_TRUE(shown->rowRect(static_cast<int>(rows) - 1).bottom() <= shown->viewport()->height());
}

TEST_F(MarkdownViewTest, CodeBlocksHighlightWithTheirOwnEngineInTheAppearancesTheme) {
    EXPECT_NE(&MarkdownCodeHighlighting::shared(), &CodeHighlighting::shared());
    const auto shown =
        view(QStringLiteral("```cpp\n// note\nint main() { return 0; }\n```\n\n```\nplain\n```\n"));
    EXPECT_EQ(shown->rowLayout(0).labels.size(), 1u);
    EXPECT_EQ(shown->rowLayout(0).labels[0].text->text(), QStringLiteral("cpp"));
    EXPECT_TRUE(shown->rowLayout(1).labels.empty()) << "a block without a language has no label";
    shown->viewport()->repaint();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown->isHighlighted(0); }, 10000));
    const auto colours = [&] {
        std::set<QRgb> seen;
        for (const auto& range : textOf(*shown, 0).formats())
            seen.insert(range.format.foreground().color().rgb());
        return seen;
    };
    const std::set<QRgb> light = colours();
    EXPECT_GE(light.size(), 2u);

    QSignalSpy again(shown.get(), &MarkdownPreviewView::codeHighlighted);
    setDark(true);
    shown->viewport()->repaint();
    ASSERT_TRUE(again.wait(10000));
    EXPECT_NE(colours(), light) << "dark mode highlights again with the dark theme";
}

// The lines of a text cut into rows, as the view lays them out: each line's text and its top in the
// stack, from the first row of the text on.
struct ShownLine {
    QString text;
    qreal top;
};

TEST_F(MarkdownViewTest, LongParagraphsAndHeadingsWrapAsOneRun) {
    QString words;
    for (int word = 0; words.size() < 3000; ++word)
        words +=
            word % 7 == 3 ? QStringLiteral("**strong%1** ").arg(word) : QStringLiteral("word%1 ").arg(word);
    words = words.trimmed();
    const struct {
        const char* name;
        QString source;
    } cases[] = {
        {"paragraph", words},
        {"heading", QStringLiteral("## ") + words.left(1500).trimmed()},
        {"paragraph in a list item", QStringLiteral("- ") + words},
    };
    for (const auto& test : cases) {
        const auto shown = view(test.source);
        const MDBlockView::Model& model = shown->model();
        ASSERT_GT(model.rows.size(), 1u) << test.name << ": the text is cut into rows";
        const auto& whole = model.rows[0].whole;
        ASSERT_TRUE(whole) << test.name;

        std::vector<ShownLine> shownLines;
        QString joined;
        for (int row = 0; row < static_cast<int>(model.rows.size()); ++row) {
            const QTextLayout& text = textOf(*shown, row);
            const qreal top = shown->rowRect(row).top() + shown->verticalScrollBar()->value();
            for (int index = 0; index < text.lineCount(); ++index) {
                const QTextLine line = text.lineAt(index);
                shownLines.push_back({text.text().mid(line.textStart(), line.textLength()), top + line.y()});
            }
            joined += text.text();
        }
        EXPECT_EQ(joined, whole->text) << test.name << ": the rows' lines hold the text once, in order";

        // The same text laid out as one, at the same width, font and formats.
        const QFont font = textOf(*shown, 0).font();
        QTextLayout single(whole->text, font);
        single.setFormats(MDInlineText::formats(
            *whole, {font.pixelSize() * 1.0, QFont::Weight(font.weight()), QS::Color::schemeOf(*shown)}));
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        single.setTextOption(option);
        const qreal width = textOf(*shown, 0).lineAt(0).width();
        std::vector<ShownLine> singleLines;
        single.beginLayout();
        qreal y = 0;
        for (QTextLine line = single.createLine(); line.isValid(); line = single.createLine()) {
            line.setLineWidth(width);
            line.setPosition({0, y});
            singleLines.push_back({whole->text.mid(line.textStart(), line.textLength()), y});
            y += line.height() + MDRowLayout::kLineSpacing;
        }
        single.endLayout();

        ASSERT_EQ(shownLines.size(), singleLines.size()) << test.name << ": no line ends where a row does";
        for (std::size_t index = 0; index < singleLines.size(); ++index) {
            EXPECT_EQ(shownLines[index].text, singleLines[index].text) << test.name << " line " << index;
            EXPECT_NEAR(shownLines[index].top - shownLines[0].top, singleLines[index].top, 1.0)
                << test.name << " line " << index << ": rows follow each other a line apart";
        }

        // Selecting all still copies the text once.
        shown->selectAll();
        EXPECT_EQ(shown->selectedText(), whole->text) << test.name;
    }
}

TEST_F(MarkdownViewTest, ASelectionInALongParagraphCoversTheLinesOfEveryRow) {
    QString words;
    for (int word = 0; words.size() < 3000; ++word)
        words += QStringLiteral("word%1 ").arg(word);
    const auto shown = view(words.trimmed());
    ASSERT_GT(shown->model().rows.size(), 2u);
    // A drag from the start of the text to the end of the second row's lines.
    const QRect first = shown->rowRect(0);
    const QRect second = shown->rowRect(1);
    QTest::mousePress(shown->viewport(), Qt::LeftButton, {}, first.topLeft() + QPoint(0, 4));
    QTest::mouseMove(shown->viewport(), second.bottomRight() - QPoint(1, 2));
    QTest::mouseRelease(shown->viewport(), Qt::LeftButton, {}, second.bottomRight() - QPoint(1, 2));
    const QString laidOut = textOf(*shown, 0).text() + textOf(*shown, 1).text();
    EXPECT_EQ(shown->selectedText().trimmed(), laidOut.trimmed())
        << "the selection ends where the second row's lines end, whichever row's text holds that";
}

MDBlockView::Model outOfMemory(const QString&) {
    throw std::bad_alloc();
}
MDBlockView::Model failsOnTheWholeText(const QString& source) {
    if (source.size() > MarkdownPreviewView::kLeadingPart * 2)
        throw std::runtime_error("parser failed");
    const QByteArray utf8 = source.toUtf8();
    return MDBlockView::build(Markdown::Document::parsing(std::string_view(utf8.constData(), utf8.size())));
}
MDBlockView::Model throwsAnything(const QString&) {
    throw 42;
}

TEST_F(MarkdownViewTest, AParserThatFailsLeavesTheSourceShownPlain) {
    const QString longText = readme(2000);
    ASSERT_GT(longText.size(), MarkdownPreviewView::kLeadingParseThreshold);
    const struct {
        const char* name;
        MarkdownPreviewView::RowBuilder builder;
        QString source;
    } cases[] = {
        {"out of memory on the GUI thread", outOfMemory, QStringLiteral("# Short\n\ntext")},
        {"out of memory on the worker", outOfMemory, longText + QStringLiteral("a")},
        {"leading blocks parsed, the whole text failed", failsOnTheWholeText, longText + QStringLiteral("b")},
        {"something that is no exception class", throwsAnything, longText + QStringLiteral("c")},
    };
    for (const auto& test : cases) {
        MarkdownPreviewView::setRowBuilderOverride(test.builder);
        MarkdownPreviewView shown(test.source, 12, &defaults);
        shown.resize(460, 600);
        shown.show();
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        MarkdownPreviewView::setRowBuilderOverride(nullptr);
        EXPECT_FALSE(shown.isDocumentReady()) << test.name;
        EXPECT_FALSE(shown.showsRenderedRows()) << test.name;
        ASSERT_FALSE(shown.model().rows.empty()) << test.name;
        EXPECT_EQ(shown.model().rows[0].role, Role::Plain) << test.name;
        EXPECT_TRUE(test.source.startsWith(shown.model().rows[0].text.text.left(200))) << test.name;
        shown.viewport()->repaint();

        // The parser working again, the same text renders.
        shown.setSource(test.source);
        if (!shown.isDocumentReady()) {
            QSignalSpy ready(&shown, &MarkdownPreviewView::documentReady);
            EXPECT_TRUE(ready.wait(60000)) << test.name;
        }
        EXPECT_TRUE(shown.isDocumentReady()) << test.name;
    }
}

TEST_F(MarkdownViewTest, HostileInputPaintsWithoutOverflow) {
    for (const QString& source : {QString(5000, u'>') + QStringLiteral(" deep"),
                                  QStringLiteral("- ").repeated(5000) + QStringLiteral("x"),
                                  QStringLiteral("|a").repeated(3000) + QStringLiteral("|\n") +
                                      QStringLiteral("|-").repeated(3000) + QStringLiteral("|\n")}) {
        const auto shown = view(source);
        shown->viewport()->repaint();
        EXPECT_FALSE(shown->model().rows.empty());
    }
}

} // namespace
