#include "Platform/TextRecognition/TesseractTextRecognizer.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>

#include <gtest/gtest.h>

namespace {

// Text drawn with a real font, as on a screenshot: black on `background`, one entry per line at
// the given positions.
QImage render(QSize size, const QList<std::pair<QPoint, QString>>& texts, QColor background = Qt::white) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(background);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(28);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (const auto& [position, text] : texts)
        painter.drawText(position, text);
    return image;
}

class TesseractTextRecognizerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!recognizer.isAvailable())
            GTEST_FAIL() << "Tesseract with the Polish and English data must be installed";
    }

    Platform::TesseractTextRecognizer recognizer;
};

TEST_F(TesseractTextRecognizerTest, ReadsPolishWithDiacritics) {
    const QImage image = render({900, 80}, {{{10, 50}, QStringLiteral("Zażółć gęślą jaźń w Łodzi")}});
    const QStringList lines = recognizer.recognizeLines(image);
    ASSERT_EQ(lines.size(), 1) << lines.join(u'|').toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Zażółć gęślą jaźń w Łodzi"));
}

TEST_F(TesseractTextRecognizerTest, OneEntryPerTextLine) {
    const QImage image = render({800, 300}, {{{20, 60}, QStringLiteral("First line of text")},
                                             {{20, 240}, QStringLiteral("Druga linia tekstu")}});
    EXPECT_EQ(recognizer.recognizeLines(image),
              (QStringList{QStringLiteral("First line of text"), QStringLiteral("Druga linia tekstu")}));
}

TEST_F(TesseractTextRecognizerTest, TextTightAtTheEdgeAndOnTransparency) {
    // Cropped tight to the glyphs and drawn on a transparent background: the white margin and the
    // compositing onto white make it readable.
    const QImage image = render({330, 34}, {{{0, 28}, QStringLiteral("Kopiuj i wklej")}}, Qt::transparent);
    EXPECT_EQ(recognizer.recognizeLines(image), QStringList{QStringLiteral("Kopiuj i wklej")});
}

TEST_F(TesseractTextRecognizerTest, BlankAndNullImagesHaveNoLines) {
    EXPECT_TRUE(recognizer.recognizeLines(render({300, 200}, {})).isEmpty());
    EXPECT_TRUE(recognizer.recognizeLines(QImage()).isEmpty());
}

TEST_F(TesseractTextRecognizerTest, WorkerThreadsEachUseTheirOwnEngine) {
    const QImage image = render({600, 80}, {{{10, 50}, QStringLiteral("Schowek pełen słów")}});
    QList<QFuture<QStringList>> runs;
    for (int i = 0; i < 3; ++i)
        runs.append(QtConcurrent::run([&] { return recognizer.recognizeLines(image); }));
    for (QFuture<QStringList>& run : runs)
        EXPECT_EQ(run.result(), QStringList{QStringLiteral("Schowek pełen słów")});
}

TEST_F(TesseractTextRecognizerTest, MissingLanguageDataIsUnavailable) {
    Platform::TesseractTextRecognizer missing(QStringLiteral("/nonexistent/tessdata"));
    EXPECT_FALSE(missing.isAvailable());
    EXPECT_TRUE(missing.recognizeLines(render({200, 60}, {{{5, 40}, QStringLiteral("abc")}})).isEmpty());
}

} // namespace
