// The real quillstack binary under the test session: a Markdown text copied with xclip and shown
// in the history panel opens in the "MD Preview" mode, and what is on the screen is a heading, not
// its source: Tesseract reads the heading's words without a "#", and its letters stand taller than
// the paragraph's.
#include "RunningQuillstack.h"

#include <Platform/TextRecognition/TesseractTextRecognizer.h>

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

QRect parseRect(const QRegularExpressionMatch& match, int first) {
    return QRect(match.captured(first).toInt(), match.captured(first + 1).toInt(),
                 match.captured(first + 2).toInt(), match.captured(first + 3).toInt());
}

// The rows of `image` that hold ink: pixels well apart from the background at its top-left.
int inkHeight(const QImage& image) {
    const QColor background = image.pixelColor(0, 0);
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor seen = image.pixelColor(x, y);
            if (std::abs(seen.lightness() - background.lightness()) > 80) {
                if (top < 0)
                    top = y;
                bottom = y;
                break;
            }
        }
    }
    return top < 0 ? 0 : bottom - top + 1;
}

TEST(MarkdownEndToEnd, CopiedMarkdownOpensRenderedWithItsHeadingAsAHeading) {
    RunningQuillstack quillstack;
    ASSERT_TRUE(quillstack.start(R"({"hasCompletedOnboarding": true, "windowPosition": "center"})"))
        << qPrintable(quillstack.log());
    const QByteArray text = "# Release plan\n\nShip the build on **Friday** and tell the team.\n\n"
                            "- Freeze on Monday\n- Write the changelog\n";
    ASSERT_TRUE(RunningQuillstack::copyText(text));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return quillstack.storedTexts().value(0) == QString::fromUtf8(text); }, 10000))
        << qPrintable(quillstack.log());

    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {"key", "--clearmodifiers", "shift+super+v"});
    ASSERT_TRUE(xdotool.waitForFinished(5000));
    const QRegularExpression painted(QStringLiteral(
        "markdown preview painted: \\d+ rows; heading (\\d) at (-?\\d+),(-?\\d+) (\\d+)x(\\d+); "
        "paragraph at (-?\\d+),(-?\\d+) (\\d+)x(\\d+)"));
    QRegularExpressionMatch match;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (match = painted.match(quillstack.log())).hasMatch(); }, 10000))
        << "the pane did not open in the MD Preview mode\n"
        << qPrintable(quillstack.log());
    EXPECT_EQ(match.captured(1), QStringLiteral("1"));
    const QRect heading = parseRect(match, 2);
    const QRect paragraph = parseRect(match, 6);
    QTest::qWait(300);

    QScreen* screen = QGuiApplication::primaryScreen();
    const QImage headingShot =
        screen->grabWindow(0, heading.x(), heading.y(), heading.width(), heading.height()).toImage();
    const QImage paragraphShot =
        screen->grabWindow(0, paragraph.x(), paragraph.y(), paragraph.width(), paragraph.height()).toImage();
    const QRect panel = heading.united(paragraph).adjusted(-20, -20, 20, 120);
    const QString directory = QStringLiteral(QS_TEST_BINARY_DIR "/screenshots");
    QDir().mkpath(directory);
    screen->grabWindow(0, panel.x(), panel.y(), panel.width(), panel.height())
        .save(directory + QStringLiteral("/markdown-end-to-end.png"));

    // Read back from the screen: the heading's words, and no "#" before them.
    Platform::TesseractTextRecognizer recognizer({}, QStringLiteral("eng"));
    ASSERT_TRUE(recognizer.isAvailable());
    const QString read = recognizer
                             .recognizeLines(headingShot.scaled(headingShot.size() * 3, Qt::KeepAspectRatio,
                                                                Qt::SmoothTransformation))
                             .join(u' ');
    EXPECT_TRUE(read.contains(QStringLiteral("Release plan"))) << qPrintable(read);
    EXPECT_FALSE(read.contains(u'#')) << qPrintable(read);
    // A level-one heading is eight points larger than the one line of body text.
    EXPECT_GT(inkHeight(headingShot), inkHeight(paragraphShot) + 4);
}

} // namespace
