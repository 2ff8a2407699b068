#include "Storage/ImageStore.h"
#include "StorageTestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace {

using StorageTestSupport::pngBytes;

class ImageStoreTest : public ::testing::Test {
protected:
    QString imagesDir() const { return root.filePath(QStringLiteral("Quillstack/Images")); }

    QTemporaryDir root;
    ImageStore store{imagesDir()};
};

TEST_F(ImageStoreTest, DirectoryAndFilesArePrivate) {
    const auto ownerOnlyDir = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const auto everyone = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
    EXPECT_EQ(QFileInfo(imagesDir()).permissions() & ~everyone, ownerOnlyDir);
    EXPECT_EQ(QFileInfo(QFileInfo(imagesDir()).absolutePath()).permissions() & ~everyone, ownerOnlyDir);
    ASSERT_TRUE(store.write(QStringLiteral("A.png"), pngBytes({4, 4})));
    EXPECT_EQ(QFileInfo(store.path(QStringLiteral("A.png"))).permissions() & ~everyone,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(ImageStoreTest, WriteKeepsTheExactBytes) {
    const QByteArray png = pngBytes({3, 2}, Qt::blue);
    ASSERT_TRUE(store.write(QStringLiteral("B.png"), png));
    QFile file(store.path(QStringLiteral("B.png")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), png);
    EXPECT_FALSE(store.write(QStringLiteral("../escape.png"), png));
    EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("Quillstack/escape.png"))));
}

TEST_F(ImageStoreTest, ThumbnailKeysUseTwicePixels) {
    EXPECT_EQ(ImageStore::thumbnailKey(QStringLiteral("x.png"), 40), QStringLiteral("x.png-80"));
    EXPECT_EQ(ImageStore::thumbnailKey(QStringLiteral("x.png"), 56), QStringLiteral("x.png-112"));
    EXPECT_EQ(ImageStore::thumbnailKey(QStringLiteral("x.png"), 120), QStringLiteral("x.png-240"));
    EXPECT_EQ(ImageStore::thumbnailKey(QStringLiteral("x.png"), 320), QStringLiteral("x.png-640"));
}

TEST_F(ImageStoreTest, ThumbnailIsScaledAndCached) {
    ASSERT_TRUE(store.write(QStringLiteral("big.png"), pngBytes({4000, 3000})));
    const QImage thumbnail = store.thumbnail(QStringLiteral("big.png"), 40);
    EXPECT_EQ(thumbnail.size(), QSize(80, 60));
    EXPECT_EQ(store.thumbnailCache().totalCost(), ImageStore::thumbnailCost(thumbnail));
    // Served from the cache: the file is no longer needed.
    ASSERT_TRUE(QFile::remove(store.path(QStringLiteral("big.png"))));
    EXPECT_EQ(store.thumbnail(QStringLiteral("big.png"), 40).size(), QSize(80, 60));
    EXPECT_TRUE(store.thumbnail(QStringLiteral("big.png"), 56).isNull());
}

TEST_F(ImageStoreTest, SmallImagesAreNotEnlarged) {
    ASSERT_TRUE(store.write(QStringLiteral("small.png"), pngBytes({30, 10})));
    EXPECT_EQ(store.thumbnail(QStringLiteral("small.png"), 40).size(), QSize(30, 10));
}

TEST_F(ImageStoreTest, MissingFilesAreTriedAgainLater) {
    EXPECT_TRUE(store.image(QStringLiteral("late.png")).isNull());
    EXPECT_TRUE(store.thumbnail(QStringLiteral("late.png"), 40).isNull());
    EXPECT_EQ(store.fullImageCache().count(), 0);
    ASSERT_TRUE(store.write(QStringLiteral("late.png"), pngBytes({5, 5})));
    EXPECT_EQ(store.image(QStringLiteral("late.png")).size(), QSize(5, 5));
    EXPECT_EQ(store.thumbnail(QStringLiteral("late.png"), 40).size(), QSize(5, 5));
}

// Every size a view asks for is dropped with the file (the list's, the preview's, and the sizes a
// preview computes from its width), and nothing of another picture.
TEST_F(ImageStoreTest, RemoveDropsFileAndCacheEntries) {
    const QList<double> sizes{40.0, 56.0, 120.0, 320.0, 173.5};
    ASSERT_TRUE(store.write(QStringLiteral("gone.png"), pngBytes({700, 700})));
    ASSERT_TRUE(store.write(QStringLiteral("kept.png"), pngBytes({30, 30})));
    for (double size : sizes)
        EXPECT_FALSE(store.thumbnail(QStringLiteral("gone.png"), size).isNull());
    EXPECT_FALSE(store.thumbnail(QStringLiteral("kept.png"), 320).isNull());
    EXPECT_FALSE(store.image(QStringLiteral("gone.png")).isNull());
    const qint64 keptCost = store.thumbnailCache().totalCost() -
                            [&] {
                                qint64 cost = 0;
                                for (double size : sizes)
                                    cost += ImageStore::thumbnailCost(store.thumbnail(QStringLiteral("gone.png"), size));
                                return cost;
                            }();
    store.remove(QStringLiteral("gone.png"));
    EXPECT_FALSE(store.exists(QStringLiteral("gone.png")));
    EXPECT_EQ(store.thumbnailCache().count(), 1);
    EXPECT_EQ(store.thumbnailCache().totalCost(), keptCost);
    EXPECT_EQ(store.fullImageCache().count(), 0);
    EXPECT_TRUE(store.image(QStringLiteral("gone.png")).isNull());
    for (double size : sizes)
        EXPECT_TRUE(store.thumbnail(QStringLiteral("gone.png"), size).isNull());
    // Removing a name without a file is fine.
    store.remove(QStringLiteral("never.png"));
}

TEST_F(ImageStoreTest, CostsOfCacheEntries) {
    EXPECT_EQ(ImageStore::fullImageCost(QImage(1, 1, QImage::Format_ARGB32)), 4);
    EXPECT_EQ(ImageStore::fullImageCost(QImage()), 1);
    const QImage thumbnail(80, 60, QImage::Format_ARGB32);
    EXPECT_EQ(ImageStore::thumbnailCost(thumbnail), 80 * 4 * 60);
}

TEST(ImageCache, EvictsByCountAndByCost) {
    ImageCache byCount(2, 1000);
    const QImage image(1, 1, QImage::Format_ARGB32);
    byCount.insert(QStringLiteral("a"), image, 1);
    byCount.insert(QStringLiteral("b"), image, 1);
    ASSERT_TRUE(byCount.find(QStringLiteral("a"))); // "a" is now the most recently used
    byCount.insert(QStringLiteral("c"), image, 1);
    EXPECT_TRUE(byCount.find(QStringLiteral("a")));
    EXPECT_FALSE(byCount.find(QStringLiteral("b")));
    EXPECT_EQ(byCount.count(), 2);

    ImageCache byCost(100, 10);
    byCost.insert(QStringLiteral("a"), image, 6);
    byCost.insert(QStringLiteral("b"), image, 6);
    EXPECT_FALSE(byCost.find(QStringLiteral("a")));
    EXPECT_EQ(byCost.totalCost(), 6);
    byCost.insert(QStringLiteral("huge"), image, 11);
    EXPECT_FALSE(byCost.find(QStringLiteral("huge")));
    EXPECT_TRUE(byCost.find(QStringLiteral("b")));
}

TEST_F(ImageStoreTest, FullImageCacheKeepsAtMostTwelve) {
    for (int i = 0; i < 14; ++i) {
        const QString name = QStringLiteral("%1.png").arg(i);
        ASSERT_TRUE(store.write(name, pngBytes({2, 2})));
        store.image(name);
    }
    EXPECT_EQ(store.fullImageCache().count(), 12);
}

TEST_F(ImageStoreTest, AsyncLoadsDeliverOnTheContextThread) {
    ASSERT_TRUE(store.write(QStringLiteral("async.png"), pngBytes({600, 300})));
    QObject context;
    QImage full;
    QImage thumbnail;
    QThread* fullThread = nullptr;
    int calls = 0;
    store.imageAsync(QStringLiteral("async.png"), &context, [&](QImage image) {
        full = image;
        fullThread = QThread::currentThread();
        ++calls;
    });
    store.thumbnailAsync(QStringLiteral("async.png"), 40, &context, [&](QImage image) {
        thumbnail = image;
        ++calls;
    });
    EXPECT_EQ(calls, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 2; }, 5000));
    EXPECT_EQ(fullThread, QThread::currentThread());
    EXPECT_EQ(full.size(), QSize(600, 300));
    EXPECT_EQ(thumbnail.size(), QSize(80, 40));
    EXPECT_EQ(store.fullImageCache().count(), 1);
    EXPECT_EQ(store.thumbnailCache().count(), 1);

    // A second request is answered from the cache, still asynchronously.
    store.imageAsync(QStringLiteral("async.png"), &context, [&](QImage) { ++calls; });
    EXPECT_EQ(calls, 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 3; }, 5000));
}

TEST_F(ImageStoreTest, AsyncResultForAGoneContextIsDropped) {
    ASSERT_TRUE(store.write(QStringLiteral("drop.png"), pngBytes({50, 50})));
    bool called = false;
    {
        QObject context;
        store.imageAsync(QStringLiteral("drop.png"), &context, [&](QImage) { called = true; });
    }
    QTest::qWait(200);
    EXPECT_FALSE(called);
}

TEST_F(ImageStoreTest, BrokenFilesGiveNoImage) {
    QFile empty(store.path(QStringLiteral("empty.png")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    const QByteArray whole = pngBytes({200, 200});
    ASSERT_TRUE(store.write(QStringLiteral("cut.png"), whole.left(50)));
    ASSERT_TRUE(store.write(QStringLiteral("text.png"), QByteArray("not an image at all")));
    for (const QString& name :
         {QStringLiteral("empty.png"), QStringLiteral("cut.png"), QStringLiteral("text.png")}) {
        EXPECT_TRUE(store.image(name).isNull()) << name.toStdString();
        EXPECT_TRUE(store.thumbnail(name, 40).isNull()) << name.toStdString();
    }
    EXPECT_EQ(store.thumbnailCache().count(), 0);
    EXPECT_EQ(store.fullImageCache().count(), 0);
    // A picture cut in the middle of its pixel data does not bring anything down either.
    ASSERT_TRUE(store.write(QStringLiteral("half.png"), whole.left(whole.size() / 2)));
    store.image(QStringLiteral("half.png"));
    store.thumbnail(QStringLiteral("half.png"), 40);
}

long peakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// 20000 × 20000 grey pixels are 400 MB decoded (1.6 GB as 32-bit pixels). The thumbnail is read
// row by row, so the process's peak memory hardly moves. The full image is beyond the reader's
// allocation limit and is refused, not attempted.
TEST_F(ImageStoreTest, HugeImageThumbnailWithoutFullDecode) {
    ASSERT_TRUE(StorageTestSupport::writeHugeGreyPng(store.path(QStringLiteral("huge.png")), 20000, 20000));
    const int limit = QImageReader::allocationLimit();
    const long before = peakResidentMegabytes();
    const QImage thumbnail = store.thumbnail(QStringLiteral("huge.png"), 40);
    EXPECT_EQ(thumbnail.size(), QSize(80, 80));
    EXPECT_EQ(thumbnail.pixelColor(40, 40), QColor(Qt::white));
    EXPECT_LT(peakResidentMegabytes() - before, 64);
    EXPECT_TRUE(store.image(QStringLiteral("huge.png")).isNull());
    EXPECT_LT(peakResidentMegabytes() - before, 64);
    EXPECT_EQ(QImageReader::allocationLimit(), limit) << "the process-wide limit is left as it was";
}

TEST_F(ImageStoreTest, RemoveDirectoryEmptiesEverything) {
    ASSERT_TRUE(store.write(QStringLiteral("x.png"), pngBytes({2, 2})));
    store.image(QStringLiteral("x.png"));
    EXPECT_TRUE(store.removeDirectory());
    EXPECT_FALSE(QFileInfo::exists(imagesDir()));
    EXPECT_EQ(store.fullImageCache().count(), 0);
    EXPECT_TRUE(store.image(QStringLiteral("x.png")).isNull());
    ASSERT_TRUE(store.write(QStringLiteral("y.png"), pngBytes({2, 2})));
    EXPECT_TRUE(store.exists(QStringLiteral("y.png")));
}

} // namespace
