// Changes a history store in a loop until it is killed; the crash-safety test kills this process
// at random moments and checks the store.
//
// Plain mode adds small texts and pictures and deletes items. After each operation returns it
// appends one line to the log: "A <dedupeKey>" once an add has returned, "D <dedupeKey>" before a
// delete starts.
//
// "queued" mode keeps StorageTestSupport::kQueuedCrashHistoryLimit unpinned items and mixes texts
// large enough for the writer thread with small ones and pictures; it copies items again, pins and
// deletes them, without waiting for the file. Before each change it appends
// "A <dedupeKey>" (add, or add again), "P <dedupeKey>" (toggle the pin) or "D <dedupeKey>"
// (delete); "S" once every change before it is known to be written.
#include "Platform/UserDefaults.h"
#include "Storage/HistoryStore.h"
#include "Storage/ImageStore.h"
#include "StorageTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>
#include <cstdlib>

namespace {

// A few distinct pictures, so that copies of the same one (and their file deletions) happen often.
ClipboardItemPtr capturedPicture(ImageStore& images, QRandomGenerator& random) {
    const QByteArray png =
        StorageTestSupport::pngBytes({8, 8}, QColor::fromHsv(random.bounded(6) * 60, 200, 200));
    const QString filename = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + ".png";
    if (!images.write(filename, png))
        return nullptr;
    NewClipboardItem content;
    content.type = ItemType::image;
    content.imageFilename = filename;
    content.dedupeKey = StorageTestSupport::dedupeKey(QStringLiteral("img:"), png);
    return ClipboardItem::make(content);
}

int runQueued(HistoryStore& store, ImageStore& images, QFile& log, QRandomGenerator& random,
              const QByteArray& seed) {
    auto logLine = [&](const char* op, const QString& key) {
        log.write(op + (' ' + key.toUtf8()) + '\n');
    };
    // An add is filed before the next change is made, so that the log has the changes in the
    // order the store takes them: a new item is listed once committed, a copy moves up at once.
    auto add = [&](const ClipboardItemPtr& item) {
        logLine("A", item->dedupeKey());
        store.add(item);
        QElapsedTimer waited;
        waited.start();
        while (store.items().isEmpty() || store.items().first()->dedupeKey() != item->dedupeKey()) {
            if (waited.elapsed() > 10000) {
                std::fprintf(stderr, "an add was never filed\n");
                std::exit(1);
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    };
    for (int i = 0;; ++i) {
        const int kind = random.bounded(20);
        const QList<ClipboardItemPtr>& listed = store.items();
        const ClipboardItemPtr any = listed.isEmpty() ? nullptr : listed.at(random.bounded(listed.size()));
        if (kind < 7) {
            QString text = QStringLiteral("clip %1 of run %2 ").arg(i).arg(QString::fromLatin1(seed));
            if (kind < 4)
                text += QString(HistoryStore::kBackgroundWriteSize / 2 + random.bounded(200'000), u'x');
            add(ClipboardItem::make(StorageTestSupport::textItem(text)));
        } else if (kind < 9) {
            if (const ClipboardItemPtr picture = capturedPicture(images, random))
                add(picture);
        } else if (kind < 11 && any && any->type() == ItemType::text) {
            add(ClipboardItem::make(StorageTestSupport::textItem(*any->plainText())));
        } else if (kind < 15 && any) {
            logLine("P", any->dedupeKey());
            store.togglePin(any);
        } else if (kind < 19 && any) {
            logLine("D", any->dedupeKey());
            store.deleteItem(any);
        } else if (kind == 19) {
            store.waitForWrites();
            log.write("S\n");
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 5 && !(argc == 6 && QByteArray(argv[5]) == "queued")) {
        std::fprintf(stderr, "usage: %s DATABASE IMAGES LOG SEED [queued]\n", argv[0]);
        return 2;
    }
    ImageStore images(QString::fromLocal8Bit(argv[2]));
    Platform::UserDefaults defaults;
    defaults.setValue(QStringLiteral("historyLimit"),
                      argc == 6 ? StorageTestSupport::kQueuedCrashHistoryLimit : 1'000'000);
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
    if (argc == 6)
        return runQueued(*store, images, log, random, seed);

    for (int i = 0;; ++i) {
        const int kind = random.bounded(10);
        if (kind < 6) {
            const QString text = QStringLiteral("clip %1 of run %2").arg(i).arg(QString::fromLatin1(seed));
            const ClipboardItemPtr item = ClipboardItem::make(StorageTestSupport::textItem(text));
            store->add(item);
            log.write("A " + item->dedupeKey().toUtf8() + '\n');
        } else if (kind < 9) {
            const ClipboardItemPtr item = capturedPicture(images, random);
            if (!item)
                continue;
            store->add(item);
            log.write("A " + item->dedupeKey().toUtf8() + '\n');
        } else if (!store->items().isEmpty()) {
            const ClipboardItemPtr victim = store->items().at(random.bounded(store->items().size()));
            log.write("D " + victim->dedupeKey().toUtf8() + '\n');
            store->deleteItem(victim);
        }
    }
}
