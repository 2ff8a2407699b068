#include "HistoryStore.h"

#include "Analysis/ContentClassifier.h"
#include "Analysis/FutureDelivery.h"
#include "Analysis/OCRService.h"
#include "Analysis/TextLines.h"
#include "ImageStore.h"
#include "Platform/MemoryRelease.h"
#include "Platform/TextRecognizer.h"
#include "Platform/UserDefaults.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPromise>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace {

constexpr QFileDevice::Permissions kOwnerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kOwnerOnlyDirectory =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

const char kColumns[] =
    "id, typeRaw, plainText, richData, imageFilename, detectedLanguage, sourceAppBundleID, "
    "sourceAppName, createdAt, isPinned, dedupeKey, snippetTitle, ocrText, contentTagsRaw";

// Qt binds a null QString as NULL; an empty value that is present must stay an empty string.
QVariant textValue(const std::optional<QString>& value) {
    if (!value)
        return QVariant(QMetaType::fromType<QString>());
    return value->isNull() ? QVariant(QStringLiteral("")) : QVariant(*value);
}

QVariant blobValue(const std::optional<QByteArray>& value) {
    if (!value)
        return QVariant(QMetaType::fromType<QByteArray>());
    return value->isNull() ? QVariant(QByteArray("")) : QVariant(*value);
}

std::optional<QString> optionalText(const QVariant& value) {
    if (value.isNull())
        return std::nullopt;
    return value.toString();
}

// Every column after id, in the order of kColumns, with the value bound for it.
QList<std::pair<QLatin1StringView, QVariant>> storedFields(const ClipboardItemRecord& r) {
    return {
        {QLatin1StringView("typeRaw"), r.typeRaw},
        {QLatin1StringView("plainText"), textValue(r.plainText)},
        {QLatin1StringView("richData"), blobValue(r.richData)},
        {QLatin1StringView("imageFilename"), textValue(r.imageFilename)},
        {QLatin1StringView("detectedLanguage"), textValue(r.detectedLanguage)},
        {QLatin1StringView("sourceAppBundleID"), textValue(r.sourceAppBundleID)},
        {QLatin1StringView("sourceAppName"), textValue(r.sourceAppName)},
        {QLatin1StringView("createdAt"), r.createdAt},
        {QLatin1StringView("isPinned"), r.isPinned ? 1 : 0},
        {QLatin1StringView("dedupeKey"), r.dedupeKey},
        {QLatin1StringView("snippetTitle"), textValue(r.snippetTitle)},
        {QLatin1StringView("ocrText"), textValue(r.ocrText)},
        {QLatin1StringView("contentTagsRaw"), textValue(r.contentTagsRaw)},
    };
}

QString idText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

// The SQLite file signature; a non-empty file without it is never handed to SQLite.
bool hasDatabaseHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(16) == QByteArray("SQLite format 3\0", 16);
}

QString lastError(const QSqlQuery& query) {
    return query.lastError().text();
}

// Only a text written as a colour ("#" first) becomes a colour item; "add" or "100" are valid hex
// digits but stay text.
void applyColourRule(ClipboardItemRecord& record) {
    const ItemType type = ItemTypes::fromRawValue(record.typeRaw).value_or(ItemType::text);
    if ((type == ItemType::text || type == ItemType::richText) && record.plainText &&
        ContentClassifier::parseTags(record.contentTagsRaw)
            .contains(ContentClassifier::ContentTag::hexColor) &&
        TextLines::trimAll(*record.plainText).startsWith(u'#'))
        record.typeRaw = ItemTypes::rawValue(ItemType::color);
}

void replaceTags(ClipboardItemRecord& record, const std::optional<QString>& tags) {
    record.contentTagsRaw = tags;
}

bool isShortText(const QString& text) {
    return text.size() <= HistoryStore::kInlineTaggingLimit;
}

bool insertRecord(QSqlDatabase& db, const ClipboardItemRecord& r) {
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("INSERT INTO ClipboardItem (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
            .arg(QLatin1String(kColumns)));
    query.addBindValue(idText(r.id));
    for (const auto& [column, value] : storedFields(r))
        query.addBindValue(value);
    return query.exec();
}

bool updateRecord(QSqlDatabase& db, const ClipboardItemRecord& r) {
    QStringList assignments;
    const auto fields = storedFields(r);
    for (const auto& [column, value] : fields)
        assignments.append(column + QStringLiteral(" = ?"));
    QSqlQuery query(db);
    query.prepare(QStringLiteral("UPDATE ClipboardItem SET %1 WHERE id = ?").arg(assignments.join(u", ")));
    for (const auto& [column, value] : fields)
        query.addBindValue(value);
    query.addBindValue(idText(r.id));
    return query.exec() && query.numRowsAffected() == 1;
}

bool deleteRecords(QSqlDatabase& db, const QList<QUuid>& ids) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral("DELETE FROM ClipboardItem WHERE id = ?"));
    return std::all_of(ids.begin(), ids.end(), [&](const QUuid& id) {
        query.addBindValue(idText(id));
        return query.exec();
    });
}

// The bytes a row's large columns take: what SQLite reads and writes again when it changes the row.
qsizetype contentBytes(const ClipboardItemRecord& r) {
    return (r.plainText ? r.plainText->size() * 2 : 0) + (r.richData ? r.richData->size() : 0) +
           (r.ocrText ? r.ocrText->size() * 2 : 0);
}

// "<UPPER-CASE UUID>.png", the names the clip factory gives.
bool isCapturedPictureName(const QString& name) {
    if (!name.endsWith(QLatin1String(".png")))
        return false;
    const QString base = name.chopped(4);
    const QUuid uuid = QUuid::fromString(base);
    return !uuid.isNull() && base == uuid.toString(QUuid::WithoutBraces).toUpper();
}

// The write-ahead log is cut back to this size whenever it is reset, so that one large clip does
// not leave a log of its size behind.
constexpr qint64 kLogSizeLimit = 4 * 1024 * 1024;

bool limitLogSize(QSqlDatabase& db) {
    return QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_size_limit = %1").arg(kLogSizeLimit));
}

// Gives the file's free pages back to the file system: those of deleted rows (incremental vacuum),
// or, when `compact` or the file was made without incremental vacuum, the whole file rebuilt
// (which also turns incremental vacuum on). Outside any transaction.
bool releaseFreePages(QSqlDatabase& db, bool compact) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA auto_vacuum")) || !query.next())
        return false;
    const bool incremental = query.value(0).toInt() == 2;
    query.finish();
    bool released = false;
    if (compact || !incremental) {
        // A file's vacuum mode changes only through a full VACUUM.
        released = (incremental || query.exec(QStringLiteral("PRAGMA auto_vacuum = INCREMENTAL"))) &&
                   query.exec(QStringLiteral("VACUUM"));
    } else if (query.exec(QStringLiteral("PRAGMA freelist_count")) && query.next()) {
        // Each step of the pragma frees one page, and Qt takes a statement without result columns
        // one step at a time: it runs once per free page, all in one transaction.
        const int freePages = query.value(0).toInt();
        query.finish();
        released = db.transaction() && query.prepare(QStringLiteral("PRAGMA incremental_vacuum"));
        for (int page = 0; released && page < freePages; ++page)
            released = query.exec();
        query.finish();
        released = released ? db.commit() : (db.rollback(), false);
    }
    query.finish();
    // With the log in use, the file shrinks once the log is written back into it; a reader still
    // in the log only delays that to the next checkpoint.
    query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    return released;
}

} // namespace

HistoryStore::HistoryStore(Options options, QSqlDatabase database)
    : m_options(std::move(options)), m_connectionName(database.connectionName()), m_db(std::move(database)) {}

HistoryStore::~HistoryStore() {
    // Clips and changes still on their way are written before the store closes.
    m_closing = true;
    waitForWrites();
    m_writer.reset();
    stopRecognitions();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

QString HistoryStore::defaultDatabasePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quillstack/history.sqlite");
}

HistoryStore& HistoryStore::shared() {
    static HistoryStore* store = [] {
        QString error;
        Options options;
        options.databasePath = defaultDatabasePath();
        options.images = &ImageStore::shared();
        options.loadInBackground = true;
        std::unique_ptr<HistoryStore> opened = open(std::move(options), &error);
        if (!opened)
            qFatal("Nie można otworzyć bazy historii: %s", qUtf8Printable(error));
        // Closed with the application object, while Qt's SQL driver is still loaded.
        opened->setParent(QCoreApplication::instance());
        return opened.release();
    }();
    return *store;
}

std::unique_ptr<HistoryStore> HistoryStore::open(Options options, QString* error) {
    QString problem;
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return nullptr;
    };
    if (!options.images)
        return fail(QStringLiteral("no image store given"));

    const QString path = options.databasePath;
    const QFileInfo info(path);
    if (!info.dir().exists()) {
        if (!QDir().mkpath(info.absolutePath()))
            return fail(QStringLiteral("cannot create the folder %1").arg(info.absolutePath()));
        QFile::setPermissions(info.absolutePath(), kOwnerOnlyDirectory);
    }
    if (info.exists()) {
        if (!info.isFile())
            return fail(QStringLiteral("%1 is not a file").arg(path));
        if (info.size() > 0 && !hasDatabaseHeader(path))
            return fail(QStringLiteral("%1 is not a history database (file is not a database)").arg(path));
    } else {
        // Created here, so that SQLite (and its WAL files, which copy the mode) start private.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnlyFile))
            return fail(QStringLiteral("cannot create %1: %2").arg(path, file.errorString()));
    }

    static QAtomicInt connectionCounter;
    const QString connection =
        QStringLiteral("quillstack-history-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(options.busyTimeoutMs));
    std::unique_ptr<HistoryStore> store(new HistoryStore(std::move(options), db));
    db = QSqlDatabase();
    if (!store->m_db.open())
        return fail(store->m_db.lastError().text());
    if (!store->createOrMigrateSchema(&problem))
        return fail(problem);
    store->reload();
    store->removeUnnamedImages();
    return store;
}

bool HistoryStore::createOrMigrateSchema(QString* error) {
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        *error = lastError(query);
        return false;
    }
    const int version = query.value(0).toInt();
    if (version > kSchemaVersion) {
        *error = QStringLiteral("the history was written by a newer version of Quillstack (schema %1, this "
                                "version knows %2)")
                     .arg(version)
                     .arg(kSchemaVersion);
        return false;
    }
    if (version == 0) {
        // A new store is empty; a database that already holds tables belongs to something else
        // and is left exactly as it is.
        if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next()) {
            *error = lastError(query);
            return false;
        }
        if (query.value(0).toInt() != 0) {
            *error = QStringLiteral("the file is an SQLite database of another program, not a history");
            return false;
        }
        // Set before the first table, a new file frees the pages of deleted rows without a VACUUM.
        if (!query.exec(QStringLiteral("PRAGMA auto_vacuum = INCREMENTAL"))) {
            *error = lastError(query);
            return false;
        }
    }
    // WAL keeps readers and the writer apart; FULL syncs every commit, so a committed change
    // survives a crash of the process and of the machine.
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) ||
        !query.exec(QStringLiteral("PRAGMA synchronous=FULL")) || !limitLogSize(m_db)) {
        *error = lastError(query);
        return false;
    }
    if (version == kSchemaVersion)
        return true;

    const QStringList statements = {
        QStringLiteral(
            "CREATE TABLE ClipboardItem ("
            "id TEXT NOT NULL UNIQUE, typeRaw TEXT NOT NULL, plainText TEXT, richData BLOB, "
            "imageFilename TEXT, detectedLanguage TEXT, sourceAppBundleID TEXT, sourceAppName TEXT, "
            "createdAt REAL NOT NULL, isPinned INTEGER NOT NULL DEFAULT 0, dedupeKey TEXT NOT NULL, "
            "snippetTitle TEXT, ocrText TEXT, contentTagsRaw TEXT)"),
        QStringLiteral("CREATE INDEX ClipboardItem_dedupeKey ON ClipboardItem (dedupeKey)"),
        QStringLiteral("CREATE INDEX ClipboardItem_createdAt ON ClipboardItem (createdAt)"),
        QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion),
    };
    if (!m_db.transaction()) {
        *error = m_db.lastError().text();
        return false;
    }
    for (const QString& statement : statements) {
        if (!query.exec(statement)) {
            *error = lastError(query);
            m_db.rollback();
            return false;
        }
    }
    if (!m_db.commit()) {
        *error = m_db.lastError().text();
        m_db.rollback();
        return false;
    }
    return true;
}

std::optional<QList<ClipboardItemRecord>> HistoryStore::fetchAll(QSqlDatabase& db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1 FROM ClipboardItem ORDER BY createdAt DESC, rowid DESC")
                        .arg(QLatin1String(kColumns))))
        return std::nullopt;
    QList<ClipboardItemRecord> records;
    while (query.next()) {
        ClipboardItemRecord r;
        r.id = QUuid::fromString(query.value(0).toString());
        r.typeRaw = query.value(1).toString();
        r.plainText = optionalText(query.value(2));
        if (!query.value(3).isNull())
            r.richData = query.value(3).toByteArray();
        r.imageFilename = optionalText(query.value(4));
        r.detectedLanguage = optionalText(query.value(5));
        r.sourceAppBundleID = optionalText(query.value(6));
        r.sourceAppName = optionalText(query.value(7));
        r.createdAt = query.value(8).toDouble();
        r.isPinned = query.value(9).toInt() != 0;
        r.dedupeKey = query.value(10).toString();
        r.snippetTitle = optionalText(query.value(11));
        r.ocrText = optionalText(query.value(12));
        r.contentTagsRaw = optionalText(query.value(13));
        records.append(std::move(r));
    }
    if (query.lastError().isValid())
        return std::nullopt;
    return records;
}

void HistoryStore::reload() {
    if (m_options.loadInBackground) {
        // A read already queued sees every change before this call, or reads again.
        if (!m_loading)
            loadInBackground();
        return;
    }
    // The list shows the queued changes already; the file has them once they are written.
    if (!m_queue.empty()) {
        m_reloadWhenIdle = true;
        return;
    }
    showRecords(fetchAll(m_db));
}

void HistoryStore::loadInBackground() {
    m_loading = true;
    auto records = std::make_shared<std::optional<QList<ClipboardItemRecord>>>();
    enqueue(
        [records](QSqlDatabase& db) {
            *records = fetchAll(db);
            return true;
        },
        [this, records](bool) {
            // Changes queued after the read are shown already but were not in the file yet.
            if (!m_queue.empty()) {
                loadInBackground();
                return;
            }
            m_loading = false;
            showRecords(*records);
        });
}

void HistoryStore::showRecords(const std::optional<QList<ClipboardItemRecord>>& records) {
    QList<ClipboardItemPtr> list;
    if (records) {
        list.reserve(records->size());
        for (const ClipboardItemRecord& record : *records) {
            if (ClipboardItemPtr existing = m_byId.value(record.id)) {
                applyRecord(existing, record);
                list.append(existing);
            } else {
                list.append(ClipboardItem::restore(record));
            }
        }
    }
    replaceList(std::move(list));
}

ClipboardItemPtr HistoryStore::item(const QUuid& id) const {
    return m_byId.value(id);
}

int HistoryStore::historyLimit() const {
    Platform::UserDefaults* defaults =
        m_options.defaults ? m_options.defaults : Platform::UserDefaults::standard();
    const qint64 limit = defaults ? defaults->intValue(QStringLiteral("historyLimit"), 0) : 0;
    if (limit < 1)
        return kDefaultHistoryLimit;
    return static_cast<int>(qMin<qint64>(limit, std::numeric_limits<int>::max()));
}

bool HistoryStore::transaction(const std::function<bool()>& body) {
    if (!m_db.transaction()) {
        reload();
        return false;
    }
    if (!body() || !m_db.commit()) {
        m_db.rollback();
        reload();
        return false;
    }
    return true;
}

// Commits changes on one thread of its own, in the order given, through a connection that lives on
// that thread.
class HistoryStore::RowWriter {
public:
    RowWriter(QString databasePath, int busyTimeoutMs)
        : m_path(std::move(databasePath)), m_busyTimeoutMs(busyTimeoutMs),
          m_connection(QStringLiteral("quillstack-history-writer-%1").arg(quintptr(this))) {
        m_thread.reset(QThread::create([this] { work(); }));
        m_thread->start();
    }
    ~RowWriter() {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_thread->wait();
    }

    // True once the change is committed, in its own transaction (`inTransaction`), or once it has
    // succeeded outside any (the file's maintenance).
    QFuture<bool> run(Change change, bool inTransaction) {
        auto promise = std::make_shared<QPromise<bool>>();
        promise->start();
        QFuture<bool> commit = promise->future();
        {
            const std::lock_guard lock(m_mutex);
            m_jobs.push_back({std::move(change), std::move(promise), inTransaction});
        }
        m_wake.notify_all();
        return commit;
    }

    // Blocks until every change given has ended (their futures are finished then).
    void waitForDone() {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
    }

private:
    struct Job {
        Change change;
        std::shared_ptr<QPromise<bool>> promise;
        bool inTransaction = true;
    };

    // The writer thread: one thread for the writer's life, since its connection belongs to it.
    void work() {
        for (;;) {
            Job job;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
                if (m_jobs.empty())
                    break;
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
                m_busy = true;
            }
            job.promise->addResult(commit(job));
            job.promise->finish();
            {
                const std::lock_guard lock(m_mutex);
                m_busy = false;
            }
            m_idle.notify_all();
        }
        QSqlDatabase::removeDatabase(m_connection);
    }

    bool commit(const Job& job) const {
        QSqlDatabase db = connection();
        if (!db.isOpen())
            return false;
        if (!job.inTransaction)
            return job.change(db);
        if (!db.transaction())
            return false;
        if (job.change(db) && db.commit())
            return true;
        db.rollback();
        return false;
    }

    QSqlDatabase connection() const {
        if (QSqlDatabase::contains(m_connection))
            return QSqlDatabase::database(m_connection);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(m_path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_busyTimeoutMs));
        if (db.open()) {
            QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=FULL"));
            limitLogSize(db);
        }
        return db;
    }

    QString m_path;
    int m_busyTimeoutMs;
    QString m_connection;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    std::unique_ptr<QThread> m_thread;
};

HistoryStore::Written HistoryStore::write(qsizetype bytes, Change change, std::function<void(bool)> done) {
    if (m_queue.empty() && (m_closing || bytes < kBackgroundWriteSize)) {
        const bool committed = transaction([&] { return change(m_db); });
        if (done)
            done(committed);
        return committed ? Written::committed : Written::failed;
    }
    enqueue(std::move(change), std::move(done));
    return Written::queued;
}

void HistoryStore::enqueue(Change change, std::function<void(bool)> done, bool maintenance) {
    if (!m_writer)
        m_writer = std::make_unique<RowWriter>(m_options.databasePath, m_options.busyTimeoutMs);
    QueuedWrite queued{m_writer->run(std::move(change), !maintenance), std::move(done), maintenance};
    auto* watcher = new QFutureWatcher<bool>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        finishWrites();
    });
    watcher->setFuture(queued.commit);
    m_queue.push_back(std::move(queued));
}

void HistoryStore::finishWrites() {
    while (!m_queue.empty() && m_queue.front().commit.isFinished()) {
        const QueuedWrite finished = std::move(m_queue.front());
        m_queue.pop_front();
        const bool committed = finished.commit.resultCount() > 0 && finished.commit.result();
        // Maintenance that did not happen changed no row.
        if (!committed && !finished.maintenance)
            m_reloadWhenIdle = true;
        if (finished.done)
            finished.done(committed);
    }
    // After a failure the list shows changes that are not stored; once nothing is on its way, the
    // file says which.
    if (m_queue.empty() && std::exchange(m_reloadWhenIdle, false))
        reload();
    fileArrivals();
}

bool HistoryStore::update(const ClipboardItemPtr& stored, const ClipboardItemRecord& updated,
                          std::function<void(bool committed)> done) {
    const Written written = write(
        contentBytes(updated), [updated](QSqlDatabase& db) { return updateRecord(db, updated); }, std::move(done));
    if (written == Written::failed)
        return false;
    applyRecord(stored, updated);
    return true;
}

void HistoryStore::applyRecord(const ClipboardItemPtr& item, ClipboardItemRecord record) {
    if (item->m_record == record)
        return;
    item->m_record = std::move(record);
    emit itemChanged(item->id());
}

void HistoryStore::replaceList(QList<ClipboardItemPtr> items) {
    const bool same = std::equal(items.begin(), items.end(), m_items.begin(), m_items.end());
    m_byId.clear();
    for (const ClipboardItemPtr& item : items)
        m_byId.insert(item->id(), item);
    m_items = std::move(items);
    if (!same)
        emit itemsChanged();
}

// Puts `item` (new or moved) at its place in the newest-first list; it goes before items of the
// same time, as the newest write.
void HistoryStore::placeItem(const ClipboardItemPtr& item) {
    QList<ClipboardItemPtr> list = m_items;
    list.removeOne(item);
    const auto position = std::find_if(list.begin(), list.end(), [&](const ClipboardItemPtr& other) {
        return other->createdAtSeconds() <= item->createdAtSeconds();
    });
    list.insert(position, item);
    replaceList(std::move(list));
}

void HistoryStore::forgetItems(const QList<ClipboardItemPtr>& gone) {
    QList<ClipboardItemPtr> list = m_items;
    list.removeIf([&](const ClipboardItemPtr& item) { return gone.contains(item); });
    replaceList(std::move(list));
}

bool HistoryStore::deleteItems(const QList<ClipboardItemPtr>& doomed) {
    if (doomed.isEmpty())
        return false;
    QList<QUuid> ids;
    QStringList files;
    qsizetype bytes = 0;
    for (const ClipboardItemPtr& item : doomed) {
        ids.append(item->id());
        if (item->imageFilename())
            files.append(*item->imageFilename());
        bytes += contentBytes(item->record());
    }
    const Written written = write(
        bytes, [ids](QSqlDatabase& db) { return deleteRecords(db, ids); },
        [this, files, large = bytes >= kBackgroundWriteSize](bool committed) {
            if (!committed)
                return;
            for (const QString& file : files)
                m_options.images->remove(file);
            // A large text or a picture (decoded in caches and views) leaves a lot of freed memory.
            if (large || !files.isEmpty())
                Platform::MemoryRelease::returnFreedMemorySoon();
        });
    if (written == Written::failed)
        return false;
    forgetItems(doomed);
    if (bytes >= kBackgroundWriteSize)
        giveBackFreePages(false);
    return true;
}

void HistoryStore::giveBackFreePages(bool compact) {
    enqueue([compact](QSqlDatabase& db) { return releaseFreePages(db, compact); }, {}, true);
}

void HistoryStore::classify(ClipboardItem& item) {
    ClipboardItemRecord& record = item.m_record;
    // Only items that arrive untagged are tagged and typed.
    if (record.plainText && !record.contentTagsRaw) {
        record.contentTagsRaw = ContentClassifier::tagsRaw(*record.plainText);
        applyColourRule(record);
    }
    item.m_classified = true;
}

void HistoryStore::add(const ClipboardItemPtr& item) {
    if (!item)
        return;
    m_arrivals.append(item);
    fileArrivals();
}

void HistoryStore::fileArrivals() {
    // An arrival is compared with the whole list: it waits while the list is read.
    while (!m_writing && !m_loading && !m_arrivals.isEmpty())
        file(m_arrivals.takeFirst());
}

void HistoryStore::waitForWrites() {
    // An item waiting for its write keeps the queue busy until it is filed.
    while (!m_queue.empty() || !m_arrivals.isEmpty()) {
        if (!m_queue.empty()) {
            m_writer->waitForDone();
            finishWrites();
        } else {
            fileArrivals();
        }
    }
}

void HistoryStore::file(const ClipboardItemPtr& item) {
    ClipboardItemRecord& incoming = item->m_record;
    const bool tagLater = !item->m_classified && incoming.plainText && !incoming.contentTagsRaw &&
                          !isShortText(*incoming.plainText);
    if (!item->m_classified && !tagLater)
        classify(*item);

    const auto existingIt = std::find_if(m_items.begin(), m_items.end(), [&](const ClipboardItemPtr& other) {
        return other->dedupeKey() == incoming.dedupeKey;
    });
    if (existingIt != m_items.end()) {
        const ClipboardItemPtr existing = *existingIt;
        ClipboardItemRecord updated = existing->record();
        // The copy's own time: an arrival that waited is not put above those copied after it.
        updated.createdAt = std::max(updated.createdAt, incoming.createdAt);
        if (incoming.contentTagsRaw)
            updated.contentTagsRaw = incoming.contentTagsRaw;
        const std::optional<QString>& newFile = incoming.imageFilename;
        bool adoptNewFile = false;
        if (newFile && updated.imageFilename != newFile) {
            // The existing item's file is gone (deleted by hand, lost in a crash): the new copy of
            // the same picture takes its place instead of being thrown away.
            adoptNewFile = existing->type() == ItemType::image && m_options.images->exists(*newFile) &&
                           (!updated.imageFilename || !m_options.images->exists(*updated.imageFilename));
            if (adoptNewFile)
                updated.imageFilename = newFile;
        }
        if (update(existing, updated)) {
            placeItem(existing);
            if (tagLater) {
                tagInBackground(existing->id(), *incoming.plainText,
                                [](ClipboardItemRecord& record, const std::optional<QString>& tags) {
                                    if (tags)
                                        record.contentTagsRaw = tags;
                                });
            }
        }
        // The new file is named by nothing stored unless it was adopted (an adopted file whose
        // write fails is left to the next start, which removes it).
        if (newFile && !adoptNewFile && newFile != existing->imageFilename())
            m_options.images->remove(*newFile);
        return;
    }

    // Filed once committed; later arrivals wait for it, so they are filed in order.
    m_writing = item;
    write(
        contentBytes(incoming), [record = incoming](QSqlDatabase& db) { return insertRecord(db, record); },
        [this, item, tagLater](bool committed) {
            m_writing = nullptr;
            if (committed)
                filed(item, tagLater);
        });
}

void HistoryStore::filed(const ClipboardItemPtr& item, bool tagLater) {
    // A reload while the row was written in the background has listed it already.
    if (m_byId.contains(item->id()))
        return;
    const ClipboardItemRecord& incoming = item->record();
    m_byId.insert(item->id(), item);
    placeItem(item);
    enforceLimit();

    if (tagLater && m_byId.contains(item->id())) {
        tagInBackground(item->id(), *incoming.plainText,
                        [](ClipboardItemRecord& record, const std::optional<QString>& tags) {
                            record.contentTagsRaw = tags;
                            applyColourRule(record);
                        });
    }
    if (item->type() == ItemType::image && item->imageFilename() && m_byId.contains(item->id()))
        scheduleOCR(item, *item->imageFilename());
}

void HistoryStore::enforceLimit() {
    QList<ClipboardItemPtr> candidates;
    for (const ClipboardItemPtr& item : m_items) {
        if (!item->isPinned() && item->type() != ItemType::snippet)
            candidates.append(item);
    }
    const qsizetype excess = candidates.size() - historyLimit();
    if (excess <= 0)
        return;
    deleteItems(candidates.last(excess));
}

void HistoryStore::clearAll(bool keepPinned, bool includeSnippets) {
    QList<ClipboardItemPtr> doomed;
    for (const ClipboardItemPtr& item : m_items) {
        if (!includeSnippets && item->type() == ItemType::snippet)
            continue;
        if (keepPinned && item->isPinned())
            continue;
        doomed.append(item);
    }
    if (!deleteItems(doomed)) {
        reload();
        return;
    }
    giveBackFreePages(true);
}

void HistoryStore::deleteItem(const ClipboardItemPtr& item) {
    if (!item || !m_byId.contains(item->id()))
        return;
    deleteItems({m_byId.value(item->id())});
}

void HistoryStore::togglePin(const ClipboardItemPtr& item) {
    const ClipboardItemPtr stored = item ? m_byId.value(item->id()) : nullptr;
    if (!stored)
        return;
    ClipboardItemRecord updated = stored->record();
    updated.isPinned = !updated.isPinned;
    update(stored, updated);
}

QList<ClipboardItemPtr> HistoryStore::snippets() const {
    QList<ClipboardItemPtr> result;
    for (const ClipboardItemPtr& item : m_items) {
        if (item->type() == ItemType::snippet)
            result.append(item);
    }
    return result;
}

ClipboardItemPtr HistoryStore::addSnippet(const QString& title, const QString& content, SavedCallback saved) {
    NewClipboardItem snippetContent;
    snippetContent.type = ItemType::snippet;
    snippetContent.plainText = content;
    snippetContent.dedupeKey =
        QStringLiteral("snippet:") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    snippetContent.snippetTitle = title;
    if (isShortText(content))
        snippetContent.contentTagsRaw = ContentClassifier::tagsRaw(content);
    const ClipboardItemPtr snippet = ClipboardItem::make(std::move(snippetContent));
    const Written written =
        write(contentBytes(snippet->record()),
              [record = snippet->record()](QSqlDatabase& db) { return insertRecord(db, record); },
              std::move(saved));
    if (written == Written::failed)
        return nullptr;
    m_byId.insert(snippet->id(), snippet);
    placeItem(snippet);
    if (!isShortText(content))
        tagInBackground(snippet->id(), content, &replaceTags);
    return snippet;
}

bool HistoryStore::updateSnippet(const ClipboardItemPtr& item, const QString& title, const QString& content,
                                 SavedCallback saved) {
    const ClipboardItemPtr stored = item ? m_byId.value(item->id()) : nullptr;
    if (!stored) {
        if (saved)
            saved(false);
        return false;
    }
    ClipboardItemRecord updated = stored->record();
    updated.snippetTitle = title;
    updated.plainText = content;
    // A long text is stored untagged first: the tags of the old text no longer hold.
    updated.contentTagsRaw = isShortText(content) ? ContentClassifier::tagsRaw(content) : std::nullopt;
    if (!update(stored, updated, std::move(saved)))
        return false;
    if (!isShortText(content))
        tagInBackground(stored->id(), content, &replaceTags);
    return true;
}

QList<HistoryStore::SourceApp> HistoryStore::sourceApps() const {
    QList<SourceApp> apps;
    QSet<QString> seen;
    for (const ClipboardItemPtr& item : m_items) {
        const std::optional<QString>& bundleID = item->sourceAppBundleID();
        if (!bundleID || bundleID->isEmpty() || seen.contains(*bundleID))
            continue;
        seen.insert(*bundleID);
        QString name;
        if (item->sourceAppName())
            name = *item->sourceAppName();
        else
            name = m_displayName ? m_displayName(*bundleID) : *bundleID;
        apps.append({*bundleID, name});
    }
    return apps;
}

void HistoryStore::setDisplayNameLookup(std::function<QString(const QString&)> lookup) {
    m_displayName = std::move(lookup);
}

bool HistoryStore::eraseAll() {
    // A clip still being written would come back after the erase.
    waitForWrites();
    const QList<ClipboardItemPtr> all = m_items;
    const bool committed = transaction([&] {
        QSqlQuery query(m_db);
        return query.exec(QStringLiteral("DELETE FROM ClipboardItem"));
    });
    if (!committed)
        return false;
    for (const ClipboardItemPtr& item : all) {
        if (item->imageFilename())
            m_options.images->remove(*item->imageFilename());
    }
    replaceList({});
    giveBackFreePages(true);
    return m_options.images->removeDirectory();
}

void HistoryStore::tagInBackground(const QUuid& id, const QString& text, TagMerge merge) {
    const QFuture<std::optional<QString>> tags = QtConcurrent::run(&ContentClassifier::tagsRaw, text);
    deliverOnContextThread(tags, this, [this, id, text, merge](const std::optional<QString>& found) {
        const ClipboardItemPtr stored = m_byId.value(id);
        // An item whose text changed meanwhile is tagged by the change's own pass.
        if (!stored || stored->plainText() != text)
            return;
        ClipboardItemRecord updated = stored->record();
        merge(updated, found);
        if (updated != stored->record())
            update(stored, updated);
    });
}

void HistoryStore::scheduleOCR(const ClipboardItemPtr& item, const QString& filename) {
    Platform::TextRecognizer* recognizer =
        m_options.recognizer ? m_options.recognizer : Platform::TextRecognizer::standard();
    if (!recognizer)
        return;
    m_recognitions.removeIf([](const Recognition& r) { return r.tagged.isFinished(); });
    // Only the id crosses the wait: an item deleted meanwhile is simply not found afterwards.
    const QUuid id = item->id();
    Recognition recognition;
    recognition.recognition = OCRService::recognize(m_options.images->path(filename), recognizer);
    // Tagged where the recognition ran, as soon as it ends.
    recognition.tagged = recognition.recognition.then(
        QtFuture::Launch::Sync,
        [](const std::optional<QString>& text) -> std::pair<QString, std::optional<QString>> {
            if (!text)
                return {};
            return {*text, ContentClassifier::tagsRaw(*text)};
        });
    m_recognitions.append(recognition);
    deliverOnContextThread(recognition.tagged, this,
                           [this, id](const std::pair<QString, std::optional<QString>>& found) {
                               if (!found.first.isNull())
                                   applyRecognizedText(id, found.first, found.second);
                           });
}

void HistoryStore::applyRecognizedText(const QUuid& id, const QString& text,
                                       const std::optional<QString>& tags) {
    const ClipboardItemPtr stored = m_byId.value(id);
    if (!stored)
        return;
    ClipboardItemRecord updated = stored->record();
    updated.ocrText = text;
    if (!updated.contentTagsRaw)
        updated.contentTagsRaw = tags;
    update(stored, updated);
}

void HistoryStore::stopRecognitions() {
    for (Recognition& recognition : m_recognitions)
        recognition.recognition.cancel();
    m_recognitions.clear();
}

void HistoryStore::waitForRecognitions() {
    for (Recognition& recognition : m_recognitions)
        recognition.tagged.waitForFinished();
    m_recognitions.clear();
}

void HistoryStore::removeUnnamedImages() {
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral("SELECT imageFilename FROM ClipboardItem WHERE imageFilename IS NOT NULL")))
        return;
    QSet<QString> named;
    while (query.next())
        named.insert(query.value(0).toString());
    if (query.lastError().isValid())
        return;
    const QStringList files = QDir(m_options.images->directory()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& file : files) {
        if (isCapturedPictureName(file) && !named.contains(file))
            m_options.images->remove(file);
    }
}
