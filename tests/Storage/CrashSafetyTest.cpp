#include "Platform/UserDefaults.h"
#include "Storage/HistoryStore.h"
#include "Storage/ImageStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// What the writer's log promises: keys whose add returned and that it did not start deleting.
QSet<QString> promisedKeys(const QString& logPath) {
    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QSet<QString> keys;
    for (const QByteArray& line : log.readAll().split('\n')) {
        if (line.size() < 3)
            continue; // the last line may be cut short by the kill
        const QString key = QString::fromUtf8(line.mid(2));
        if (line.startsWith("A "))
            keys.insert(key);
        else if (line.startsWith("D "))
            keys.remove(key);
    }
    return keys;
}

TEST(StorageCrashSafety, KilledWriterLosesNothingThatWasCommitted) {
    QTemporaryDir root;
    const QString database = root.filePath(QStringLiteral("history.sqlite"));
    const QString imagesDir = root.filePath(QStringLiteral("Images"));
    const QString logPath = root.filePath(QStringLiteral("log.txt"));
    QRandomGenerator random(QRandomGenerator::global()->generate());

    int totalPromised = 0;
    for (int round = 0; round < 6; ++round) {
        QProcess writer;
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer.start(QStringLiteral(QS_CRASH_WRITER_PATH),
                     {database, imagesDir, logPath, QString::number(random.generate())});
        ASSERT_TRUE(writer.waitForStarted(10000));
        QTest::qWait(150 + random.bounded(350));
        ASSERT_EQ(writer.state(), QProcess::Running) << "the writer ended by itself";
        ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
        ASSERT_TRUE(writer.waitForFinished(10000));

        const QSet<QString> promised = promisedKeys(logPath);
        totalPromised = promised.size();
        {
            const QString name = QStringLiteral("check-%1").arg(round);
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(database);
            ASSERT_TRUE(db.open());
            QSqlQuery query(db);
            ASSERT_TRUE(query.exec(QStringLiteral("PRAGMA integrity_check")));
            ASSERT_TRUE(query.next());
            EXPECT_EQ(query.value(0).toString(), QStringLiteral("ok")) << "round " << round;
            query.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check-%1").arg(round));

        ImageStore images(imagesDir);
        Platform::UserDefaults defaults;
        defaults.setValue(QStringLiteral("historyLimit"), 1'000'000);
        HistoryStore::Options options;
        options.databasePath = database;
        options.images = &images;
        options.defaults = &defaults;
        QString error;
        std::unique_ptr<HistoryStore> store = HistoryStore::open(options, &error);
        ASSERT_TRUE(store) << error.toStdString();
        QSet<QString> stored;
        QSet<QString> named;
        for (const ClipboardItemPtr& item : store->items()) {
            stored.insert(item->dedupeKey());
            if (item->imageFilename()) {
                named.insert(*item->imageFilename());
                EXPECT_TRUE(images.exists(*item->imageFilename()))
                    << "round " << round << ": " << item->imageFilename()->toStdString()
                    << " is referenced but missing";
            }
        }
        for (const QString& key : promised)
            EXPECT_TRUE(stored.contains(key)) << "round " << round << ": lost " << key.toStdString();
        // A picture written just before the kill, or a repeated one's second file, is gone again
        // (a kill inside a write may also leave a temporary file, which is not a picture).
        const QRegularExpression picture(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\.png$"));
        for (const QString& file : QDir(imagesDir).entryList(QDir::Files)) {
            if (picture.match(file).hasMatch()) {
                EXPECT_TRUE(named.contains(file))
                    << "round " << round << ": " << file.toStdString() << " is named by no row";
            }
        }
    }
    EXPECT_GT(totalPromised, 10) << "the writer made too little progress to test anything";
}

} // namespace
