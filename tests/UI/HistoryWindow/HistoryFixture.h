#pragma once

#include <Platform/UserDefaults.h>
#include <Storage/HistoryStore.h>
#include <Storage/ImageStore.h>
#include <UI/HistoryWindow/HistoryPasting.h>

#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

// A real history store over a temporary SQLite file and image directory.
class HistoryFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        images = std::make_unique<ImageStore>(dir.filePath(QStringLiteral("Images")));
        HistoryStore::Options options;
        options.databasePath = dir.filePath(QStringLiteral("history.sqlite"));
        options.images = images.get();
        options.defaults = &defaults;
        QString error;
        store = HistoryStore::open(options, &error);
        ASSERT_TRUE(store) << error.toStdString();
    }
    // Pictures the previews still load read the image directory: it must outlive them.
    void TearDown() override { QThreadPool::globalInstance()->waitForDone(); }

    static QString key(const QString& prefix, const QString& content) {
        return prefix + QString::fromLatin1(
                            QCryptographicHash::hash(content.toUtf8(), QCryptographicHash::Sha256).toHex());
    }

    ClipboardItemPtr add(NewClipboardItem content) {
        if (content.dedupeKey.isEmpty())
            content.dedupeKey = key(QStringLiteral("txt:"),
                                    content.plainText.value_or(QString()) + QString::number(++counter));
        const ClipboardItemPtr item = ClipboardItem::make(std::move(content));
        store->add(item);
        return store->item(item->id());
    }

    ClipboardItemPtr addText(const QString& text, std::optional<QString> app = std::nullopt) {
        NewClipboardItem content;
        content.type = ItemType::text;
        content.plainText = text;
        content.sourceAppBundleID = app;
        content.sourceAppName = app;
        return add(content);
    }

    ClipboardItemPtr addKind(ItemType type, const QString& text) {
        NewClipboardItem content;
        content.type = type;
        content.plainText = text;
        if (type == ItemType::snippet) {
            content.snippetTitle = text;
            content.dedupeKey =
                QStringLiteral("snippet:") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        }
        return add(content);
    }

    ClipboardItemPtr addImage(QColor color, QSize size = QSize(320, 200),
                              std::optional<QString> ocr = std::nullopt) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        const QString filename =
            QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".png");
        EXPECT_TRUE(images->write(filename, png));
        NewClipboardItem content;
        content.type = ItemType::image;
        content.imageFilename = filename;
        content.ocrText = ocr;
        content.dedupeKey = key(QStringLiteral("img:"), filename);
        return add(content);
    }

    QTemporaryDir dir;
    Platform::UserDefaults defaults;
    std::unique_ptr<ImageStore> images;
    std::unique_ptr<HistoryStore> store;
    int counter = 0;
};

// Records what the panel hands over, in order.
class RecordingPasting : public HistoryPasting {
public:
    bool copyToPasteboard(const ClipboardItemPtr& item, bool plainTextOnly) override {
        log << QStringLiteral("copy:%1:%2").arg(item->plainText().value_or(QString())).arg(plainTextOnly);
        return item->type() != ItemType::image || writesImages;
    }
    void copyText(const QString& text) override { log << QStringLiteral("text:") + text; }
    void autoPasteIfEnabled() override { log << QStringLiteral("autoPaste"); }
    void pasteAll(const QList<ClipboardItemPtr>& items, const QString& separator) override {
        QStringList texts;
        for (const auto& item : items)
            texts << item->plainText().value_or(QString());
        log << QStringLiteral("pasteAll:") + texts.join(separator);
    }
    void startQueue(const QList<ClipboardItemPtr>& items) override {
        QStringList texts;
        for (const auto& item : items)
            texts << item->plainText().value_or(QString());
        log << QStringLiteral("queue:") + texts.join(QLatin1Char(','));
    }
    QStringList log;
    // Whether image items can be written (their files are intact).
    bool writesImages = true;
};
