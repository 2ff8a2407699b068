#include "ClipboardEngine/OCRService.h"
#include "Platform/Fakes/FakeTextRecognizer.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

class OCRServiceTest : public ::testing::Test {
protected:
    QString writeImage(const QString& name, QSize size) {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(Qt::white);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }

    std::optional<QString> recognize(const QString& path, Platform::TextRecognizer& recognizer) {
        return OCRService::recognize(path, &recognizer).result();
    }

    QTemporaryDir dir;
};

TEST_F(OCRServiceTest, JoinsLinesAndTrims) {
    Platform::FakeTextRecognizer recognizer(
        {QStringLiteral("  Pierwsza linia"), QStringLiteral("Second line  ")});
    EXPECT_EQ(recognize(writeImage(QStringLiteral("a.png"), {40, 30}), recognizer),
              QStringLiteral("Pierwsza linia\nSecond line"));
    ASSERT_EQ(recognizer.imageSizes().size(), 1);
    EXPECT_EQ(recognizer.imageSizes()[0], QSize(40, 30));
}

TEST_F(OCRServiceTest, NothingFoundIsNoText) {
    Platform::FakeTextRecognizer blank({QStringLiteral(" "), QString()});
    EXPECT_EQ(recognize(writeImage(QStringLiteral("b.png"), {10, 10}), blank), std::nullopt);
    Platform::FakeTextRecognizer none;
    EXPECT_EQ(recognize(writeImage(QStringLiteral("c.png"), {10, 10}), none), std::nullopt);
}

TEST_F(OCRServiceTest, UnreadableFilesAreNotRecognised) {
    Platform::FakeTextRecognizer recognizer({QStringLiteral("text")});
    EXPECT_EQ(recognize(dir.filePath(QStringLiteral("missing.png")), recognizer), std::nullopt);

    QFile empty(dir.filePath(QStringLiteral("empty.png")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_EQ(recognize(empty.fileName(), recognizer), std::nullopt);

    const QString whole = writeImage(QStringLiteral("whole.png"), {300, 200});
    QFile source(whole);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QFile truncated(dir.filePath(QStringLiteral("truncated.png")));
    ASSERT_TRUE(truncated.open(QIODevice::WriteOnly));
    truncated.write(source.read(60));
    truncated.close();
    EXPECT_EQ(recognize(truncated.fileName(), recognizer), std::nullopt);
    EXPECT_EQ(recognizer.callCount(), 0);
}

// A recognizer that notes the thread it runs on.
class ThreadNotingRecognizer final : public Platform::TextRecognizer {
public:
    QStringList recognizeLines(const QImage&) override {
        thread = QThread::currentThread();
        return {QStringLiteral("x")};
    }
    QThread* thread = nullptr;
};

TEST_F(OCRServiceTest, RunsOffTheCallingThread) {
    ThreadNotingRecognizer recognizer;
    EXPECT_EQ(recognize(writeImage(QStringLiteral("d.png"), {8, 8}), recognizer), QStringLiteral("x"));
    ASSERT_NE(recognizer.thread, nullptr);
    EXPECT_NE(recognizer.thread, QThread::currentThread());
}

TEST_F(OCRServiceTest, NoRecognizerMeansNoText) {
    EXPECT_EQ(OCRService::recognize(writeImage(QStringLiteral("e.png"), {8, 8}), nullptr).result(),
              std::nullopt);
}

} // namespace
