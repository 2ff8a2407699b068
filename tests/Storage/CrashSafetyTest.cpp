#include "Platform/UserDefaults.h"
#include "Storage/HistoryStore.h"
#include "Storage/ImageStore.h"
#include "StorageTestSupport.h"

#include <QDeadlineTimer>
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

#include <algorithm>
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

qsizetype lineCount(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : 0;
}

// The writer child in a data directory of its own, killed at random moments.
class StorageCrashSafety : public ::testing::Test {
protected:
    QString database() const { return root.filePath(QStringLiteral("history.sqlite")); }
    QString imagesDir() const { return root.filePath(QStringLiteral("Images")); }

    // Runs the writer with `log` and `mode` until a random moment, kills it with SIGKILL and
    // checks that the file is an intact database.
    void runAndKill(const QString& log, const QStringList& mode, int round) {
        QProcess writer;
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer.start(QStringLiteral(QS_CRASH_WRITER_PATH),
                     QStringList{database(), imagesDir(), log, QString::number(random.generate())} + mode);
        ASSERT_TRUE(writer.waitForStarted(10000));
        // A loaded machine can start the child slowly: the random moment is counted from its
        // first few logged changes, so every round has something to lose.
        const qsizetype linesBefore = lineCount(log);
        QDeadlineTimer started(30000);
        while (lineCount(log) < linesBefore + 8 && !started.hasExpired() && writer.state() == QProcess::Running)
            QTest::qWait(10);
        QTest::qWait(random.bounded(300));
        ASSERT_EQ(writer.state(), QProcess::Running) << "the writer ended by itself";
        ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
        ASSERT_TRUE(writer.waitForFinished(10000));

        const QString name = QStringLiteral("check-%1").arg(round);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(database());
            ASSERT_TRUE(db.open());
            QSqlQuery query(db);
            ASSERT_TRUE(query.exec(QStringLiteral("PRAGMA integrity_check")));
            ASSERT_TRUE(query.next());
            EXPECT_EQ(query.value(0).toString(), QStringLiteral("ok")) << "round " << round;
            query.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

    // Opens the store as the next start does and checks its pictures: every one a row names is
    // there, and one written just before the kill, or a repeated one's second file, is gone again
    // (a kill inside a write may also leave a temporary file, which is not a picture).
    std::unique_ptr<HistoryStore> openAfterKill(int round) {
        HistoryStore::Options options;
        options.databasePath = database();
        options.images = &images;
        options.defaults = &defaults;
        QString error;
        std::unique_ptr<HistoryStore> store = HistoryStore::open(options, &error);
        EXPECT_TRUE(store) << error.toStdString();
        if (!store)
            return nullptr;
        QSet<QString> named;
        for (const ClipboardItemPtr& item : store->items()) {
            if (item->imageFilename()) {
                named.insert(*item->imageFilename());
                EXPECT_TRUE(images.exists(*item->imageFilename()))
                    << "round " << round << ": " << item->imageFilename()->toStdString()
                    << " is referenced but missing";
            }
        }
        const QRegularExpression picture(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\.png$"));
        for (const QString& file : QDir(imagesDir()).entryList(QDir::Files)) {
            if (picture.match(file).hasMatch()) {
                EXPECT_TRUE(named.contains(file))
                    << "round " << round << ": " << file.toStdString() << " is named by no row";
            }
        }
        return store;
    }

    QTemporaryDir root;
    QRandomGenerator random{QRandomGenerator::global()->generate()};
    ImageStore images{imagesDir()};
    Platform::UserDefaults defaults;
};

TEST_F(StorageCrashSafety, KilledWriterLosesNothingThatWasCommitted) {
    defaults.setValue(QStringLiteral("historyLimit"), 1'000'000);
    const QString logPath = root.filePath(QStringLiteral("log.txt"));
    int totalPromised = 0;
    for (int round = 0; round < 6; ++round) {
        runAndKill(logPath, {}, round);
        const QSet<QString> promised = promisedKeys(logPath);
        totalPromised = promised.size();
        const std::unique_ptr<HistoryStore> store = openAfterKill(round);
        ASSERT_TRUE(store);
        QSet<QString> stored;
        for (const ClipboardItemPtr& item : store->items())
            stored.insert(item->dedupeKey());
        for (const QString& key : promised)
            EXPECT_TRUE(stored.contains(key)) << "round " << round << ": lost " << key.toStdString();
    }
    EXPECT_GT(totalPromised, 10) << "the writer made too little progress to test anything";
}

// What the queued writer's log says it did: its changes in order, and how many of them were known
// to be written (the last "S").
struct ChangeLog {
    QList<std::pair<char, QString>> changes;
    qsizetype written = 0;
};

ChangeLog readChangeLog(const QString& logPath) {
    QFile log(logPath);
    ChangeLog result;
    if (!log.open(QIODevice::ReadOnly))
        return result;
    QList<QByteArray> lines = log.readAll().split('\n');
    lines.removeLast(); // empty, or a line the kill cut short
    for (const QByteArray& line : lines) {
        if (line == "S")
            result.written = result.changes.size();
        else
            result.changes.append({line.at(0), QString::fromUtf8(line.mid(2))});
    }
    return result;
}

// Every state the history passes through while taking `changes` from `start` (each entry a key,
// "*" after a pinned one, newest first): a new item's add is its insert, then the trim it causes.
// `firstWritten` receives the index of the state after the first `written` changes.
QList<QStringList> statesOf(QStringList start, const ChangeLog& log, qsizetype* firstWritten) {
    QList<QStringList> states{start};
    QStringList list = std::move(start);
    auto find = [&](const QString& key) {
        return std::find_if(list.begin(), list.end(),
                            [&](const QString& entry) { return entry == key || entry == key + u'*'; });
    };
    *firstWritten = 0;
    for (qsizetype i = 0; i < log.changes.size(); ++i) {
        const auto& [op, key] = log.changes[i];
        const auto found = find(key);
        if (op == 'A' && found != list.end()) {
            const QString entry = *found;
            list.erase(found);
            list.prepend(entry);
        } else if (op == 'A') {
            list.prepend(key);
            states.append(list);
            QStringList unpinned;
            for (const QString& entry : list) {
                if (!entry.endsWith(u'*'))
                    unpinned.append(entry);
            }
            for (const QString& entry : unpinned.mid(StorageTestSupport::kQueuedCrashHistoryLimit))
                list.removeOne(entry);
        } else if (op == 'P' && found != list.end()) {
            *found = found->endsWith(u'*') ? found->chopped(1) : *found + u'*';
        } else if (op == 'D' && found != list.end()) {
            list.erase(found);
        }
        states.append(list);
        if (i + 1 == log.written)
            *firstWritten = states.size() - 1;
    }
    return states;
}

// Changes queued for the writer thread (pins, deletes, copies and trims of large items, and what
// follows them) reach the file in the order they were made, each whole or not at all: after a kill
// the history is what the changes up to some point made it, never less than what was known to be
// written, and its pictures are as a start expects.
TEST_F(StorageCrashSafety, KilledQueueLeavesTheChangesUpToAPoint) {
    defaults.setValue(QStringLiteral("historyLimit"), 1'000'000);
    QStringList history;
    qsizetype total = 0;
    for (int round = 0; round < 6; ++round) {
        const QString logPath = root.filePath(QStringLiteral("queued-%1.txt").arg(round));
        runAndKill(logPath, {QStringLiteral("queued")}, round);
        const ChangeLog log = readChangeLog(logPath);
        total += log.changes.size();
        qsizetype firstWritten = 0;
        const QList<QStringList> states = statesOf(history, log, &firstWritten);

        const std::unique_ptr<HistoryStore> store = openAfterKill(round);
        ASSERT_TRUE(store);
        QStringList stored;
        for (const ClipboardItemPtr& item : store->items())
            stored.append(item->dedupeKey() + (item->isPinned() ? QStringLiteral("*") : QString()));
        const qsizetype reached = states.lastIndexOf(stored);
        EXPECT_GE(reached, firstWritten)
            << "round " << round << ": the history after the kill, " << stored.join(u' ').toStdString()
            << ", is not one the changes made (the last of them: " << states.last().join(u' ').toStdString()
            << ")";
        history = stored;
    }
    EXPECT_GT(total, 20) << "the writer made too little progress to test anything";
}

} // namespace
