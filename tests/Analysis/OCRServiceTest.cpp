#include "Analysis/OCRService.h"
#include "Platform/Fakes/FakeTextRecognizer.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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
// Qt refuses to decode a picture beyond its allocation limit (128 MB unless lowered) and decodes a
// PNG whole before scaling it; a large screenshot is streamed instead of going unrecognised.
TEST_F(OCRServiceTest, APictureBeyondTheReadersLimitIsStillRecognised) {
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(4);
    Platform::FakeTextRecognizer recognizer({QStringLiteral("large")});
    const auto text = recognize(writeImage(QStringLiteral("large.png"), {1600, 1200}), recognizer);
    QImageReader::setAllocationLimit(limit);
    EXPECT_EQ(text, QStringLiteral("large"));
    ASSERT_EQ(recognizer.imageSizes().size(), 1);
    EXPECT_EQ(recognizer.imageSizes()[0], QSize(1600, 1200));
}

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

// Holds every recognition until the gate opens (or ten seconds pass), so the pool's threads can be
// kept busy while the test queues more work behind them.
class GatedRecognizer final : public Platform::TextRecognizer {
public:
    explicit GatedRecognizer(std::atomic<bool>* deleted = nullptr) : m_deleted(deleted) {}
    ~GatedRecognizer() override {
        if (m_deleted)
            *m_deleted = true;
    }
    QStringList recognizeLines(const QImage&) override {
        started.release();
        if (!gate.tryAcquire(1, 10000))
            timedOut = true;
        return {QStringLiteral("gated")};
    }
    QSemaphore started;
    QSemaphore gate;
    std::atomic<bool> timedOut = false;

private:
    std::atomic<bool>* m_deleted;
};

class OCRServiceQueueTest : public OCRServiceTest {
protected:
    // More gated recognitions than the pool has threads: whatever is queued next waits behind them.
    void occupyThePool() {
        image = writeImage(QStringLiteral("queued.png"), {8, 8});
        for (int i = 0; i < 4; ++i)
            gatedFutures.append(OCRService::recognize(image, &gated));
        ASSERT_TRUE(gated.started.tryAcquire(1, 10000));
    }
    void TearDown() override {
        gated.gate.release(4);
        for (QFuture<std::optional<QString>>& future : gatedFutures)
            future.waitForFinished();
        EXPECT_FALSE(gated.timedOut);
    }

    QString image;
    GatedRecognizer gated;
    QList<QFuture<std::optional<QString>>> gatedFutures;
};

TEST_F(OCRServiceQueueTest, WaitingForAQueuedRecognitionNeverRunsItOnTheWaitingThread) {
    occupyThePool();
    ThreadNotingRecognizer noting;
    QFuture<std::optional<QString>> queued = OCRService::recognize(image, &noting);
    std::thread opener([this] {
        QThread::msleep(200);
        gated.gate.release(4);
    });
    EXPECT_EQ(queued.result(), QStringLiteral("x"));
    opener.join();
    ASSERT_NE(noting.thread, nullptr);
    EXPECT_NE(noting.thread, QThread::currentThread());
}

TEST_F(OCRServiceQueueTest, ACancelledRecognitionThatHasNotStartedNeverRuns) {
    occupyThePool();
    Platform::FakeTextRecognizer dropped({QStringLiteral("dropped")});
    QFuture<std::optional<QString>> queued = OCRService::recognize(image, &dropped);
    queued.cancel();
    gated.gate.release(4);
    Platform::FakeTextRecognizer after({QStringLiteral("after")});
    EXPECT_EQ(OCRService::recognize(image, &after).result(), QStringLiteral("after"));
    queued.waitForFinished();
    EXPECT_TRUE(queued.isCanceled());
    EXPECT_EQ(queued.resultCount(), 0);
    EXPECT_EQ(dropped.callCount(), 0);
}

TEST_F(OCRServiceTest, ARetiredRecognizerLivesUntilItsLastRecognitionEnds) {
    const QString image = writeImage(QStringLiteral("retired.png"), {8, 8});
    std::atomic<bool> deleted = false;
    auto recognizer = std::make_unique<GatedRecognizer>(&deleted);
    GatedRecognizer& gated = *recognizer;
    QFuture<std::optional<QString>> running = OCRService::recognize(image, &gated);
    ASSERT_TRUE(gated.started.tryAcquire(1, 10000));

    OCRService::retire(std::move(recognizer));
    EXPECT_FALSE(deleted);
    gated.gate.release();
    running.waitForFinished();
    EXPECT_TRUE(QTest::qWaitFor([&] { return deleted.load(); }, 10000));

    std::atomic<bool> idleDeleted = false;
    OCRService::retire(std::make_unique<GatedRecognizer>(&idleDeleted));
    EXPECT_TRUE(idleDeleted);
}

TEST_F(OCRServiceTest, NoRecognizerMeansNoText) {
    EXPECT_EQ(OCRService::recognize(writeImage(QStringLiteral("e.png"), {8, 8}), nullptr).result(),
              std::nullopt);
}

} // namespace
