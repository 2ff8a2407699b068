#pragma once

#include "ClipboardItem.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QUuid>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class ImageStore;
namespace Platform {
class TextRecognizer;
class UserDefaults;
} // namespace Platform

// The persistent history: every item and snippet in one SQLite table (ClipboardItem, one column
// per stored field), the in-memory list all views show (newest first), and every operation that
// changes it. GUI thread only; work that grows with an item's text or picture leaves it: text
// recognition, tagging of long texts (their tags are written a moment after the item), and the
// writing of large rows. A writer thread commits those: large new items join the list once
// committed (later items wait for them); a change of a large item (pin, edit, delete, trimming) is
// shown in the list at once and written there. Once one change is queued, every change after it
// goes through the same queue, so the file takes them in the order they were made. With
// Options::loadInBackground the list is read there too.
//
// Each change is one transaction. Image files of removed items are deleted only after the
// transaction that forgets them has committed; a change that cannot be written is rolled back and
// the list reloaded from the file (for a queued change, once the queue is empty), so the list shows
// what is stored. A kill loses only the changes not committed yet. Only the snippet operations
// report to their caller whether they were stored (the snippet editor says so); the others keep
// the list true to the file and say nothing.
//
// The file gives its free pages back: after a large row is deleted its pages are released on the
// writer thread (incremental vacuum), and clearing or erasing the history compacts the whole file
// there (VACUUM). A file made without incremental vacuum is converted by that first compaction.
class HistoryStore : public QObject {
    Q_OBJECT
public:
    // The table layout version kept in PRAGMA user_version.
    static constexpr int kSchemaVersion = 1;
    static constexpr int kDefaultHistoryLimit = 200;
    // Texts up to this many UTF-16 units are tagged on the calling thread; longer ones on a worker.
    static constexpr qsizetype kInlineTaggingLimit = 32 * 1024;
    // Changes of rows whose text, RTF and recognised text take at least this many bytes are
    // committed by a worker with a connection of its own.
    static constexpr qsizetype kBackgroundWriteSize = 256 * 1024;

    struct Options {
        QString databasePath;
        // Where image files live; the store deletes them with their items.
        ImageStore* images = nullptr;
        // "historyLimit" comes from here (Platform::UserDefaults::standard() when null).
        Platform::UserDefaults* defaults = nullptr;
        // Reads text in new images (Platform::TextRecognizer::standard() when null; no recognition
        // when that is unset too). It must outlive the recognitions still running when the store
        // goes (OCRService::retire hands it over).
        Platform::TextRecognizer* recognizer = nullptr;
        // How long a write waits for another connection's lock before it counts as failed.
        int busyTimeoutMs = 2000;
        // The list is read on the writer thread, at opening and at every reload: open() returns
        // with an empty list, which fills in once read, and items given to add() meanwhile wait
        // for it. The application's store does this (reading large items takes a while).
        bool loadInBackground = false;
    };

    struct SourceApp {
        QString bundleID;
        QString name;
        bool operator==(const SourceApp&) const = default;
    };

    // Opens (or creates) the store. On failure returns null and the reason in `error`; a file that
    // is not a history database, or one written by a newer version, is left exactly as it is.
    // Opening removes the picture files that no stored item names (see removeUnnamedImages), so it
    // must come before capture starts writing new ones.
    static std::unique_ptr<HistoryStore> open(Options options, QString* error = nullptr);

    // The application's store at defaultDatabasePath(), opened on first use (after the application
    // object exists; it is closed with it). When it cannot be opened the program ends with
    // "Nie można otworzyć bazy historii: " and the reason.
    static HistoryStore& shared();
    static QString defaultDatabasePath();

    ~HistoryStore() override;

    // Every stored item, snippets included, newest first.
    const QList<ClipboardItemPtr>& items() const { return m_items; }
    ClipboardItemPtr item(const QUuid& id) const;

    // Reads the list again from the file (an unreadable file gives an empty list); while changes
    // are queued, once they are written. With loadInBackground, on the writer thread.
    void reload();

    // Files a newly captured item: tags its text and applies the colour rule (unless classify() has
    // done that already), merges it into an existing item with the same dedupe key (which moves to
    // the top) or inserts it and trims the history; a new image then has its text recognised in the
    // background. A long text not classified yet is filed at once and tagged on a worker. A large
    // item is written in the background and filed when committed; items added meanwhile are filed
    // after it, in order.
    void add(const ClipboardItemPtr& item);
    // Blocks until every item given to add() has been filed and every queued change written (the
    // destructor does this too, so that quitting loses no captured clip and no change). For tests
    // and shutdown.
    void waitForWrites();
    // What add() does first, for a capture worker: tags the text of a new item that arrives
    // untagged and applies the colour rule ("#" first and a hexColor tag make a text a colour).
    // Safe on any thread for an item no one else uses yet; add() then files it as it is.
    static void classify(ClipboardItem& item);
    // Trims unpinned, non-snippet items beyond "historyLimit", oldest first.
    void enforceLimit();
    void clearAll(bool keepPinned, bool includeSnippets);
    void deleteItem(const ClipboardItemPtr& item);
    void togglePin(const ClipboardItemPtr& item);

    QList<ClipboardItemPtr> snippets() const;
    // Whether a snippet change was stored: called once, before the call returns when the change
    // was written at once, later (on this thread) when the writer thread committed or refused it.
    using SavedCallback = std::function<void(bool saved)>;
    // Adds a snippet. Null when its row could not be written; a row still on its way reports
    // through `saved`, and one refused then leaves the list when the file is read again.
    ClipboardItemPtr addSnippet(const QString& title, const QString& content, SavedCallback saved = {});
    // Stores a new title and text in the snippet. False when the change was refused at once (the
    // database is busy or cannot be written, or the snippet is gone): the snippet keeps its stored
    // texts. A change still on its way reports through `saved`.
    bool updateSnippet(const ClipboardItemPtr& item, const QString& title, const QString& content,
                       SavedCallback saved = {});

    // The distinct source applications, most recently used first.
    QList<SourceApp> sourceApps() const;
    // How an application without a stored name is named in sourceApps() (the bundle identifier
    // itself until set).
    void setDisplayNameLookup(std::function<QString(const QString& bundleID)> lookup);

    // Erases everything for a reset: every item (pinned ones and snippets too), their image files
    // and the images directory itself. False when the items could not be deleted (nothing is then
    // removed from disk) or when the images directory could not be removed completely.
    bool eraseAll();

    // "historyLimit", or 200 when it is absent or below 1.
    int historyLimit() const;

    // At quit: recognitions that have not started are dropped (their items stay without recognised
    // text), those under way are abandoned and their results ignored. Never waits. The destructor
    // does the same.
    void stopRecognitions();
    // Blocks until text recognitions started by this store have finished their work (their
    // results still arrive through the event loop). For tests; the work never runs on the caller.
    void waitForRecognitions();

    // Deletes the files of the image directory named like captured pictures ("<UUID>.png", upper
    // case) that no stored row names: what a kill leaves between writing a picture and committing
    // its row, or between committing a repeated picture and deleting its second file. Nothing is
    // deleted when the rows cannot be read.
    void removeUnnamedImages();

signals:
    // The list changed: an item came, went or moved.
    void itemsChanged();
    // Stored fields of the item changed (pin, tags, recognised text, snippet text...).
    void itemChanged(const QUuid& id);

private:
    explicit HistoryStore(Options options, QSqlDatabase database);

    bool createOrMigrateSchema(QString* error);
    static std::optional<QList<ClipboardItemRecord>> fetchAll(QSqlDatabase& db);
    // Queues a read of the list; if changes are queued behind it by the time it ends, another.
    void loadInBackground();
    // Makes the list the records read (the items already listed keep their objects).
    void showRecords(const std::optional<QList<ClipboardItemRecord>>& records);

    // Runs `body` in one transaction; false (after a rollback and a reload) when any step fails.
    bool transaction(const std::function<bool()>& body);

    // One change of the file, made inside a transaction on the connection given.
    using Change = std::function<bool(QSqlDatabase& db)>;
    enum class Written { committed, queued, failed };
    // Commits `change` in a transaction of its own after every change before it: here when nothing
    // is queued and its rows take less than kBackgroundWriteSize bytes, else on the writer thread.
    // `done` runs on this thread with whether it committed (before returning, when written here).
    Written write(qsizetype bytes, Change change, std::function<void(bool committed)> done = {});
    // Gives `change` to the writer thread, after every change queued before it. `maintenance`
    // runs outside a transaction and changes no row (its failure needs no reload).
    void enqueue(Change change, std::function<void(bool committed)> done, bool maintenance = false);
    // Queues the return of the file's free pages to the file system: those of deleted rows, or
    // with `compact` the whole file rebuilt. On the writer thread, so the GUI never waits for it.
    void giveBackFreePages(bool compact);
    // Hands the queued changes that have ended to their `done`, in order; then reloads if one
    // failed and nothing is queued any more, and files the arrivals that waited.
    void finishWrites();
    // Writes `updated` as the row of `stored` and shows it; false when it could not be written.
    // `done` hears whether it was committed, as write() says.
    bool update(const ClipboardItemPtr& stored, const ClipboardItemRecord& updated,
                std::function<void(bool committed)> done = {});
    // Deletes the items in one transaction, then their image files; false when nothing changed.
    bool deleteItems(const QList<ClipboardItemPtr>& doomed);

    // In-memory counterparts, applied after a commit.
    void applyRecord(const ClipboardItemPtr& item, ClipboardItemRecord record);
    void placeItem(const ClipboardItemPtr& item);
    void forgetItems(const QList<ClipboardItemPtr>& gone);
    void replaceList(QList<ClipboardItemPtr> items);

    // Files the items given to add() in order, until one waits for its background write.
    void fileArrivals();
    void file(const ClipboardItemPtr& item);
    // What follows the commit of a new item.
    void filed(const ClipboardItemPtr& item, bool tagLater);

    void scheduleOCR(const ClipboardItemPtr& item, const QString& filename);
    void applyRecognizedText(const QUuid& id, const QString& text, const std::optional<QString>& tags);

    // How tags found on a worker join the stored record.
    using TagMerge = void (*)(ClipboardItemRecord& record, const std::optional<QString>& tags);
    // Tags `text` on a worker; the result is merged into the item `id` if it still holds that text.
    void tagInBackground(const QUuid& id, const QString& text, TagMerge merge);

    Options m_options;
    QString m_connectionName;
    QSqlDatabase m_db;
    QList<ClipboardItemPtr> m_items;
    QHash<QUuid, ClipboardItemPtr> m_byId;
    std::function<QString(const QString&)> m_displayName;
    struct Recognition {
        // The recognition itself, and its text tagged, which is what is delivered.
        QFuture<std::optional<QString>> recognition;
        QFuture<std::pair<QString, std::optional<QString>>> tagged;
    };
    QList<Recognition> m_recognitions;

    // Items given to add() and not filed yet, oldest first.
    QList<ClipboardItemPtr> m_arrivals;
    // The worker that commits queued changes, made on first use.
    class RowWriter;
    std::unique_ptr<RowWriter> m_writer;
    struct QueuedWrite {
        QFuture<bool> commit;
        std::function<void(bool committed)> done;
        bool maintenance = false;
    };
    // Changes given to the writer and not handed to their `done` yet, oldest first.
    std::deque<QueuedWrite> m_queue;
    // A queued change failed: the list is read again once the queue is empty.
    bool m_reloadWhenIdle = false;
    // The new item whose insert is queued; arrivals after it wait.
    ClipboardItemPtr m_writing;
    // A read of the list is queued (loadInBackground); arrivals wait for it.
    bool m_loading = false;
    // Set while the store closes: everything left is written at once.
    bool m_closing = false;
};
