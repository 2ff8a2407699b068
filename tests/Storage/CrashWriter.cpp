// Adds items to a history store in a loop until it is killed. After each operation returns it
// appends one line to the log: "A <dedupeKey>" once an add has returned, "D <dedupeKey>" before a
// delete starts. The crash-safety test kills this process at random moments and checks the store.
#include "Platform/UserDefaults.h"
#include "Storage/HistoryStore.h"
#include "Storage/ImageStore.h"
#include "StorageTestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s DATABASE IMAGES LOG SEED\n", argv[0]);
        return 2;
    }
    ImageStore images(QString::fromLocal8Bit(argv[2]));
    Platform::UserDefaults defaults;
    defaults.setValue(QStringLiteral("historyLimit"), 1'000'000);
    HistoryStore::Options options;
    options.databasePath = QString::fromLocal8Bit(argv[1]);
    options.images = &images;
    options.defaults = &defaults;
    QString error;
    std::unique_ptr<HistoryStore> store = HistoryStore::open(options, &error);
    if (!store) {
        std::fprintf(stderr, "cannot open: %s\n", qPrintable(error));
        return 1;
    }
    QFile log(QString::fromLocal8Bit(argv[3]));
    if (!log.open(QIODevice::Append | QIODevice::Unbuffered))
        return 1;
    QRandomGenerator random(static_cast<quint32>(QByteArray(argv[4]).toUInt()));
    const QByteArray seed(argv[4]);

    for (int i = 0;; ++i) {
        const int kind = random.bounded(10);
        if (kind < 6) {
            const QString text = QStringLiteral("clip %1 of run %2").arg(i).arg(QString::fromLatin1(seed));
            const ClipboardItemPtr item = ClipboardItem::make(StorageTestSupport::textItem(text));
            store->add(item);
            log.write("A " + item->dedupeKey().toUtf8() + '\n');
        } else if (kind < 9) {
            // A few distinct pictures, so that re-copies (and their file deletions) happen often.
            const QByteArray png =
                StorageTestSupport::pngBytes({8, 8}, QColor::fromHsv(random.bounded(6) * 60, 200, 200));
            const QString filename = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + ".png";
            if (!images.write(filename, png))
                continue;
            NewClipboardItem content;
            content.type = ItemType::image;
            content.imageFilename = filename;
            content.dedupeKey = StorageTestSupport::dedupeKey(QStringLiteral("img:"), png);
            const ClipboardItemPtr item = ClipboardItem::make(content);
            store->add(item);
            log.write("A " + item->dedupeKey().toUtf8() + '\n');
        } else if (!store->items().isEmpty()) {
            const ClipboardItemPtr victim = store->items().at(random.bounded(store->items().size()));
            log.write("D " + victim->dedupeKey().toUtf8() + '\n');
            store->deleteItem(victim);
        }
    }
}
