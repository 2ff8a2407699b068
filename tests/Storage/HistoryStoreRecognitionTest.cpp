#include "Platform/TextRecognition/TesseractTextRecognizer.h"
#include "Platform/UserDefaults.h"
#include "Storage/HistoryStore.h"
#include "Storage/ImageStore.h"
#include "StorageTestSupport.h"

#include <QBuffer>
#include <QFont>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QByteArray screenshotWithText(const QString& text) {
    QImage image(700, 90, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(30);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(16, 56, text);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

TEST(HistoryStoreRecognition, PolishTextOfANewPictureIsStored) {
    QTemporaryDir root;
    ImageStore images(root.filePath(QStringLiteral("Quillstack/Images")));
    Platform::UserDefaults defaults;
    Platform::TesseractTextRecognizer recognizer;
    ASSERT_TRUE(recognizer.isAvailable());
    HistoryStore::Options options;
    options.databasePath = root.filePath(QStringLiteral("Quillstack/history.sqlite"));
    options.images = &images;
    options.defaults = &defaults;
    options.recognizer = &recognizer;
    std::unique_ptr<HistoryStore> store = HistoryStore::open(options);
    ASSERT_TRUE(store);

    const QByteArray png = screenshotWithText(QStringLiteral("Żółta łódź płynie 12.05.2024"));
    ASSERT_TRUE(images.write(QStringLiteral("SHOT.png"), png));
    NewClipboardItem content;
    content.type = ItemType::image;
    content.imageFilename = QStringLiteral("SHOT.png");
    content.dedupeKey = StorageTestSupport::dedupeKey(QStringLiteral("img:"), png);
    const ClipboardItemPtr item = ClipboardItem::make(content);
    store->add(item);

    ASSERT_TRUE(QTest::qWaitFor([&] { return item->ocrText().has_value(); }, 60000));
    EXPECT_EQ(item->ocrText(), QStringLiteral("Żółta łódź płynie 12.05.2024"));
    EXPECT_EQ(item->previewTitle(), QStringLiteral("Żółta łódź płynie 12.05.2024"));
    EXPECT_TRUE(item->searchableText().contains(QStringLiteral("łódź")));

    store.reset();
    store = HistoryStore::open(options);
    ASSERT_EQ(store->items().size(), 1);
    EXPECT_EQ(store->items()[0]->ocrText(), QStringLiteral("Żółta łódź płynie 12.05.2024"));
}

} // namespace
