#include "Storage/HistoryStore.h"
#include "Platform/Fakes/FakeTextRecognizer.h"
#include "Platform/UserDefaults.h"
#include "Storage/ImageStore.h"
#include "StorageTestSupport.h"

#include <Analysis/OCRService.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <optional>

namespace {

using StorageTestSupport::dedupeKey;
using StorageTestSupport::pngBytes;
using StorageTestSupport::textItem;

// Runs SQL on the store's file through a connection of its own, as an outsider would.
class RawConnection {
public:
    explicit RawConnection(const QString& path)
        : m_name(QStringLiteral("raw-%1").arg(QUuid::createUuid().toString())) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=50"));
        db.open();
    }
    ~RawConnection() {
        QSqlDatabase::database(m_name).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlQuery query(const QString& sql) {
        QSqlQuery q(QSqlDatabase::database(m_name));
        q.exec(sql);
        return q;
    }
    QVariant scalar(const QString& sql) {
        QSqlQuery q = query(sql);
        return q.next() ? q.value(0) : QVariant();
    }

private:
    QString m_name;
};

// A captured image: its PNG file written first, as the clip factory does.
ClipboardItemPtr addCapturedImage(ImageStore& images, HistoryStore& store, const QByteArray& png) {
    const QString filename =
        QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".png");
    EXPECT_TRUE(images.write(filename, png));
    NewClipboardItem content;
    content.type = ItemType::image;
    content.imageFilename = filename;
    content.dedupeKey = dedupeKey(QStringLiteral("img:"), png);
    const ClipboardItemPtr item = ClipboardItem::make(content);
    store.add(item);
    return item;
}

class HistoryStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        store = openStore();
        ASSERT_TRUE(store);
    }

    void TearDown() override {
        if (store)
            store->waitForRecognitions();
    }

    ~HistoryStoreTest() override {
        store.reset();
        // A store closed during the test (reopened, say) leaves its recognitions running with the
        // recognizer: it goes to the recognition pool, which deletes it after the last of them.
        OCRService::retire(std::move(ownedRecognizer));
    }

    QString databasePath() const { return root.filePath(QStringLiteral("Quillstack/history.sqlite")); }

    std::unique_ptr<HistoryStore> openStore(QString* error = nullptr, int busyTimeoutMs = 2000) {
        HistoryStore::Options options;
        options.databasePath = databasePath();
        options.images = &images;
        options.defaults = &defaults;
        options.recognizer = &recognizer;
        options.busyTimeoutMs = busyTimeoutMs;
        return HistoryStore::open(options, error);
    }

    std::unique_ptr<HistoryStore> reopen() {
        store.reset();
        return openStore();
    }

    ClipboardItemPtr addText(const QString& text) {
        const ClipboardItemPtr item = ClipboardItem::make(textItem(text));
        store->add(item);
        return item;
    }

    ClipboardItemPtr addImage(const QByteArray& png) { return addCapturedImage(images, *store, png); }

    QStringList texts() const {
        QStringList result;
        for (const ClipboardItemPtr& item : store->items())
            result.append(item->plainText().value_or(QStringLiteral("<none>")));
        return result;
    }

    QStringList imageFiles() const { return QDir(images.directory()).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir root;
    ImageStore images{root.filePath(QStringLiteral("Quillstack/Images"))};
    Platform::UserDefaults defaults;
    std::unique_ptr<Platform::FakeTextRecognizer> ownedRecognizer =
        std::make_unique<Platform::FakeTextRecognizer>();
    Platform::FakeTextRecognizer& recognizer = *ownedRecognizer;
    std::unique_ptr<HistoryStore> store;
};

TEST_F(HistoryStoreTest, SchemaIsTheDocumentedTable) {
    RawConnection raw(databasePath());
    EXPECT_EQ(raw.scalar(QStringLiteral("PRAGMA user_version")).toInt(), HistoryStore::kSchemaVersion);
    EXPECT_EQ(raw.scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    QSqlQuery columns = raw.query(QStringLiteral("PRAGMA table_info(ClipboardItem)"));
    QStringList names;
    while (columns.next())
        names.append(columns.value(1).toString());
    EXPECT_EQ(names, (QStringList{"id", "typeRaw", "plainText", "richData", "imageFilename",
                                  "detectedLanguage", "sourceAppBundleID", "sourceAppName", "createdAt",
                                  "isPinned", "dedupeKey", "snippetTitle", "ocrText", "contentTagsRaw"}));
    EXPECT_EQ(raw.scalar(QStringLiteral("SELECT count(*) FROM pragma_index_list('ClipboardItem') i "
                                        "JOIN pragma_index_info(i.name) c WHERE c.name = 'dedupeKey'"))
                  .toInt(),
              1);
}

TEST_F(HistoryStoreTest, FilesArePrivate) {
    const auto everyone = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
    EXPECT_EQ(QFileInfo(databasePath()).permissions() & ~everyone,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(QFileInfo(QFileInfo(databasePath()).absolutePath()).permissions() & ~everyone,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(HistoryStoreTest, EveryFieldSurvivesReopening) {
    NewClipboardItem content;
    content.type = ItemType::richText;
    content.plainText = QString::fromUtf8(QByteArray("ok \xff\xfe bad \xc3", 12)); // invalid UTF-8, decoded
    content.richData = QByteArray("{\\rtf1 \0 binary}", 16);
    content.imageFilename = QString();
    content.detectedLanguage = QString();
    content.sourceAppBundleID = QStringLiteral("org.gnome.TextEditor");
    content.sourceAppName = QStringLiteral("Edytor tekstu");
    content.dedupeKey = QStringLiteral("txt:abc");
    content.snippetTitle = std::nullopt;
    content.ocrText = QStringLiteral("żółć");
    content.contentTagsRaw = QStringLiteral("phone");
    const ClipboardItemPtr item = ClipboardItem::make(content);
    store->add(item);
    const ClipboardItemRecord written = item->record();

    store = reopen();
    ASSERT_EQ(store->items().size(), 1);
    EXPECT_EQ(store->items()[0]->record(), written);
    EXPECT_EQ(store->items()[0]->imageFilename(), QString()); // empty, not absent
    EXPECT_EQ(store->items()[0]->snippetTitle(), std::nullopt);
    RawConnection raw(databasePath());
    EXPECT_EQ(raw.scalar(QStringLiteral("SELECT count(*) FROM ClipboardItem WHERE snippetTitle IS NULL AND "
                                        "imageFilename = '' AND detectedLanguage = ''"))
                  .toInt(),
              1);
    EXPECT_EQ(raw.scalar(QStringLiteral("SELECT id FROM ClipboardItem")).toString(),
              written.id.toString(QUuid::WithoutBraces).toUpper());
}

TEST_F(HistoryStoreTest, TwentyMegabyteText) {
    const QString huge = QString(20 * 1024 * 1024, u'x') + QStringLiteral("\nend");
    addText(huge);
    store = reopen();
    ASSERT_EQ(store->items().size(), 1);
    EXPECT_EQ(store->items()[0]->plainText()->size(), huge.size());
    EXPECT_EQ(store->items()[0]->previewTitle().size(), 20 * 1024 * 1024);
}

TEST_F(HistoryStoreTest, NewestFirstAndOneObjectPerItem) {
    const ClipboardItemPtr a = addText(QStringLiteral("a"));
    const ClipboardItemPtr b = addText(QStringLiteral("b"));
    EXPECT_EQ(texts(), (QStringList{"b", "a"}));
    EXPECT_EQ(store->items()[1], a);
    QSignalSpy listChanges(store.get(), &HistoryStore::itemsChanged);
    store->reload();
    EXPECT_EQ(listChanges.count(), 0); // same records, same order: nobody is told
    EXPECT_EQ(store->items()[0], b);
    EXPECT_EQ(store->item(a->id()), a);
}

TEST_F(HistoryStoreTest, RecopiedTextMovesUpAndKeepsItsState) {
    const ClipboardItemPtr first = addText(QStringLiteral("same"));
    addText(QStringLiteral("other"));
    store->togglePin(first);
    const double before = first->createdAtSeconds();
    QSignalSpy changed(store.get(), &HistoryStore::itemChanged);

    const ClipboardItemPtr again = addText(QStringLiteral("same"));
    EXPECT_EQ(texts(), (QStringList{"same", "other"}));
    EXPECT_EQ(store->items()[0], first);
    EXPECT_EQ(store->item(again->id()), nullptr);
    EXPECT_GT(first->createdAtSeconds(), before);
    EXPECT_TRUE(first->isPinned());
    EXPECT_EQ(changed.count(), 1);

    store = reopen();
    EXPECT_EQ(texts(), (QStringList{"same", "other"}));
    EXPECT_TRUE(store->items()[0]->isPinned());
}

TEST_F(HistoryStoreTest, RecopiedItemTakesNewTagsOnly) {
    NewClipboardItem tagged = textItem(QStringLiteral("x"));
    tagged.contentTagsRaw = QStringLiteral("email");
    const ClipboardItemPtr original = ClipboardItem::make(tagged);
    store->add(original);

    NewClipboardItem untagged = textItem(QStringLiteral("x"));
    untagged.plainText = std::nullopt; // nothing to tag: carries no tags
    store->add(ClipboardItem::make(untagged));
    EXPECT_EQ(original->contentTagsRaw(), QStringLiteral("email"));

    tagged.contentTagsRaw = QStringLiteral("phone,date");
    store->add(ClipboardItem::make(tagged));
    EXPECT_EQ(original->contentTagsRaw(), QStringLiteral("phone,date"));
    EXPECT_EQ(store->items().size(), 1);
}

TEST_F(HistoryStoreTest, RecopiedImageKeepsOneFile) {
    const QByteArray png = pngBytes({20, 10});
    const ClipboardItemPtr first = addImage(png);
    const ClipboardItemPtr second = addImage(png);
    ASSERT_EQ(store->items().size(), 1);
    EXPECT_EQ(store->items()[0], first);
    EXPECT_EQ(imageFiles(), QStringList{*first->imageFilename()});
    EXPECT_FALSE(images.exists(*second->imageFilename()));
}

TEST_F(HistoryStoreTest, RecopiedImageReplacesALostFile) {
    const QByteArray png = pngBytes({20, 10});
    const ClipboardItemPtr first = addImage(png);
    const QString lost = *first->imageFilename();
    ASSERT_TRUE(QFile::remove(images.path(lost)));

    const ClipboardItemPtr second = addImage(png);
    ASSERT_EQ(store->items().size(), 1);
    EXPECT_EQ(first->imageFilename(), second->imageFilename());
    EXPECT_EQ(imageFiles(), QStringList{*second->imageFilename()});
    store = reopen();
    EXPECT_EQ(store->items()[0]->imageFilename(), second->imageFilename());
}

TEST_F(HistoryStoreTest, RecopiedFilesAreOneItem) {
    NewClipboardItem files;
    files.type = ItemType::file;
    files.plainText = QStringLiteral("/home/u/a.txt\n/home/u/b.txt");
    files.dedupeKey = dedupeKey(QStringLiteral("file:"), files.plainText->toUtf8());
    store->add(ClipboardItem::make(files));
    addText(QStringLiteral("between"));
    store->add(ClipboardItem::make(files));
    EXPECT_EQ(texts(), (QStringList{"/home/u/a.txt\n/home/u/b.txt", "between"}));
}

struct ColourCase {
    const char* name;
    ItemType type;
    QString text;
    std::optional<QString> presetTags;
    QString storedType;
    std::optional<QString> storedTags;
};

class HistoryStoreColourRule : public HistoryStoreTest, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(HistoryStoreColourRule, RetypesOnlyWrittenColours) {
    const ColourCase& c = GetParam();
    NewClipboardItem content = textItem(c.text);
    content.type = c.type;
    content.contentTagsRaw = c.presetTags;
    const ClipboardItemPtr item = ClipboardItem::make(content);
    store->add(item);
    EXPECT_EQ(item->typeRaw(), c.storedType) << c.name;
    EXPECT_EQ(item->contentTagsRaw(), c.storedTags) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryStoreColourRule,
    ::testing::Values(
        ColourCase{"hashColour", ItemType::text, QStringLiteral("#ff8800"), std::nullopt, "color",
                   "hexColor"},
        ColourCase{"richTextColour", ItemType::richText, QStringLiteral(" #FFF\n"), std::nullopt, "color",
                   "hexColor"},
        ColourCase{"wordAdd", ItemType::text, QStringLiteral("add"), std::nullopt, "text", "hexColor"},
        ColourCase{"wordBed", ItemType::text, QStringLiteral("bed"), std::nullopt, "text", "hexColor"},
        ColourCase{"number100", ItemType::text, QStringLiteral("100"), std::nullopt, "text", "hexColor"},
        ColourCase{"eightDigits", ItemType::text, QStringLiteral("12345678"), std::nullopt, "text",
                   "hexColor"},
        ColourCase{"codeKeepsType", ItemType::code, QStringLiteral("#abcdef"), std::nullopt, "code",
                   "hexColor"},
        ColourCase{"urlKeepsType", ItemType::url, QStringLiteral("#abc"), std::nullopt, "url", "hexColor"},
        ColourCase{"presetTagsKept", ItemType::text, QStringLiteral("#abc"), QStringLiteral("json"), "text",
                   "json"},
        ColourCase{"noTags", ItemType::text, QStringLiteral("hello"), std::nullopt, "text", std::nullopt}),
    [](const ::testing::TestParamInfo<ColourCase>& info) { return std::string(info.param.name); });

TEST_F(HistoryStoreTest, TrimmingKeepsPinnedItemsAndSnippets) {
    defaults.setValue(QStringLiteral("historyLimit"), 20);
    const ClipboardItemPtr pinned = addText(QStringLiteral("pinned"));
    store->togglePin(pinned);
    const ClipboardItemPtr snippet = store->addSnippet(QStringLiteral("s"), QStringLiteral("snippet text"));
    const ClipboardItemPtr oldImage = addImage(pngBytes({3, 3}));
    for (int i = 0; i < 24; ++i)
        addText(QStringLiteral("t%1").arg(i));

    EXPECT_EQ(store->items().size(), 22);
    EXPECT_TRUE(store->item(pinned->id()));
    EXPECT_TRUE(store->item(snippet->id()));
    EXPECT_FALSE(store->item(oldImage->id()));
    EXPECT_FALSE(images.exists(*oldImage->imageFilename()));
    EXPECT_TRUE(imageFiles().isEmpty());
    EXPECT_EQ(texts().mid(0, 20), [] {
        QStringList expected;
        for (int i = 23; i >= 4; --i)
            expected.append(QStringLiteral("t%1").arg(i));
        return expected;
    }());
    store = reopen();
    EXPECT_EQ(store->items().size(), 22);
}

TEST_F(HistoryStoreTest, LimitAtEqualityChangesNothing) {
    defaults.setValue(QStringLiteral("historyLimit"), 3);
    for (int i = 0; i < 3; ++i)
        addText(QStringLiteral("t%1").arg(i));
    QSignalSpy listChanges(store.get(), &HistoryStore::itemsChanged);
    store->enforceLimit();
    EXPECT_EQ(listChanges.count(), 0);
    EXPECT_EQ(store->items().size(), 3);
}

TEST_F(HistoryStoreTest, LimitBelowOneOrAbsentIs200) {
    EXPECT_EQ(store->historyLimit(), 200);
    defaults.setValue(QStringLiteral("historyLimit"), 0);
    EXPECT_EQ(store->historyLimit(), 200);
    defaults.setValue(QStringLiteral("historyLimit"), -5);
    EXPECT_EQ(store->historyLimit(), 200);
    defaults.setValue(QStringLiteral("historyLimit"), 50);
    EXPECT_EQ(store->historyLimit(), 50);
}

TEST_F(HistoryStoreTest, UnknownTypeCountsAsText) {
    defaults.setValue(QStringLiteral("historyLimit"), 1);
    NewClipboardItem odd = textItem(QStringLiteral("odd"));
    const ClipboardItemPtr item = ClipboardItem::make(odd);
    store->add(item);
    RawConnection(databasePath()).query(QStringLiteral("UPDATE ClipboardItem SET typeRaw = 'Snippet'"));
    store->reload();
    addText(QStringLiteral("new"));
    EXPECT_EQ(texts(), QStringList{"new"});
}

struct ClearCase {
    const char* name;
    bool keepPinned;
    bool includeSnippets;
    QStringList remaining;
};

class HistoryStoreClearAll : public HistoryStoreTest, public ::testing::WithParamInterface<ClearCase> {};

TEST_P(HistoryStoreClearAll, DeletesTheChosenItems) {
    const ClearCase& c = GetParam();
    addText(QStringLiteral("plain"));
    store->togglePin(addText(QStringLiteral("pinned")));
    store->addSnippet(QStringLiteral("t"), QStringLiteral("snippet"));
    store->togglePin(store->addSnippet(QStringLiteral("t"), QStringLiteral("pinned snippet")));
    const ClipboardItemPtr image = addImage(pngBytes({2, 2}));
    store->clearAll(c.keepPinned, c.includeSnippets);
    QStringList remaining = texts();
    remaining.sort();
    EXPECT_EQ(remaining, c.remaining) << c.name;
    EXPECT_FALSE(images.exists(*image->imageFilename()));
    store = reopen();
    QStringList reopened = texts();
    reopened.sort();
    EXPECT_EQ(reopened, c.remaining) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryStoreClearAll,
    ::testing::Values(ClearCase{"menuClear", true, false, {"pinned", "pinned snippet", "snippet"}},
                      ClearCase{"privacyClear", false, false, {"pinned snippet", "snippet"}},
                      ClearCase{"everything", false, true, {}}),
    [](const ::testing::TestParamInfo<ClearCase>& info) { return std::string(info.param.name); });

TEST_F(HistoryStoreTest, DeleteRemovesItemAndFile) {
    const ClipboardItemPtr image = addImage(pngBytes({2, 2}));
    addText(QStringLiteral("stays"));
    store->deleteItem(image);
    EXPECT_EQ(texts(), QStringList{"stays"});
    EXPECT_TRUE(imageFiles().isEmpty());
    // Deleting what is no longer there is harmless.
    store->deleteItem(image);
    EXPECT_EQ(store->items().size(), 1);
}

TEST_F(HistoryStoreTest, PinKeepsThePlace) {
    const ClipboardItemPtr a = addText(QStringLiteral("a"));
    addText(QStringLiteral("b"));
    const double created = a->createdAtSeconds();
    QSignalSpy changed(store.get(), &HistoryStore::itemChanged);
    store->togglePin(a);
    EXPECT_TRUE(a->isPinned());
    EXPECT_EQ(a->createdAtSeconds(), created);
    EXPECT_EQ(texts(), (QStringList{"b", "a"}));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].value<QUuid>(), a->id());
    store->togglePin(a);
    EXPECT_FALSE(a->isPinned());
}

TEST_F(HistoryStoreTest, Snippets) {
    const ClipboardItemPtr empty = store->addSnippet(QString(), QString());
    EXPECT_EQ(empty->snippetTitle(), QString());
    EXPECT_EQ(empty->plainText(), QString());
    EXPECT_EQ(empty->contentTagsRaw(), std::nullopt);
    EXPECT_TRUE(empty->dedupeKey().startsWith(QStringLiteral("snippet:")));
    EXPECT_NE(empty->dedupeKey().mid(8), empty->id().toString(QUuid::WithoutBraces).toUpper());

    const ClipboardItemPtr mail =
        store->addSnippet(QStringLiteral("Mail"), QStringLiteral("ola@example.org"));
    EXPECT_EQ(mail->contentTagsRaw(), QStringLiteral("email"));
    addText(QStringLiteral("plain"));
    EXPECT_EQ(store->snippets(), (QList<ClipboardItemPtr>{mail, empty}));

    const double created = mail->createdAtSeconds();
    store->updateSnippet(mail, QStringLiteral("Phone"), QStringLiteral("+48 123 456 789"));
    EXPECT_EQ(mail->snippetTitle(), QStringLiteral("Phone"));
    EXPECT_EQ(mail->contentTagsRaw(), QStringLiteral("phone"));
    EXPECT_EQ(mail->createdAtSeconds(), created);
    store = reopen();
    EXPECT_EQ(store->snippets().size(), 2);
    EXPECT_EQ(store->snippets()[0]->plainText(), QStringLiteral("+48 123 456 789"));
}

// Texts beyond the inline limit are stored at once and tagged on a worker; the tags (and the colour
// rule) follow, and a pass over a text that has changed since is not applied.
TEST_F(HistoryStoreTest, LongTextsAreTaggedOffTheCallingThread) {
    const QString padding(HistoryStore::kInlineTaggingLimit, u' ');
    auto settle = [] {
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    };

    const QString json = QStringLiteral("[") + QStringLiteral("1,").repeated(20000) + QStringLiteral("1]");
    const ClipboardItemPtr item = addText(json);
    EXPECT_EQ(texts(), QStringList{json});
    EXPECT_EQ(item->contentTagsRaw(), std::nullopt);
    settle();
    EXPECT_EQ(item->contentTagsRaw(), QStringLiteral("json"));
    const ClipboardItemPtr colour = addText(padding + QStringLiteral("#FF8800"));
    settle();
    EXPECT_EQ(colour->type(), ItemType::color);

    const ClipboardItemPtr snippet = store->addSnippet(QStringLiteral("s"), json);
    settle();
    EXPECT_EQ(snippet->contentTagsRaw(), QStringLiteral("json"));
    // The long edit's pass (an e-mail address) comes back after a short edit tagged at once: dropped.
    store->updateSnippet(snippet, QStringLiteral("s"), padding + QStringLiteral("ola@example.org"));
    EXPECT_EQ(snippet->contentTagsRaw(), std::nullopt);
    store->updateSnippet(snippet, QStringLiteral("s"), QStringLiteral("2024-03-05"));
    EXPECT_EQ(snippet->contentTagsRaw(), QStringLiteral("date"));
    settle();
    EXPECT_EQ(snippet->contentTagsRaw(), QStringLiteral("date"));
    store->updateSnippet(snippet, QStringLiteral("s"), padding + QStringLiteral("ola@example.org"));
    settle();
    EXPECT_EQ(snippet->contentTagsRaw(), QStringLiteral("email"));

    store = reopen();
    EXPECT_EQ(store->item(item->id())->contentTagsRaw(), QStringLiteral("json"));
    EXPECT_EQ(store->item(colour->id())->type(), ItemType::color);
    EXPECT_EQ(store->item(snippet->id())->contentTagsRaw(), QStringLiteral("email"));
}

// A large new item is committed by a worker and listed when that is done; items added meanwhile wait
// for it, so order and de-duplication stay as if all were filed at once, and closing the store
// writes what is still on its way.
TEST_F(HistoryStoreTest, LargeItemsAreWrittenInTheBackgroundInOrder) {
    const QString large(HistoryStore::kBackgroundWriteSize, u'l');
    const ClipboardItemPtr big = addText(large);
    addText(QStringLiteral("after the large one"));
    addText(large);
    EXPECT_TRUE(store->items().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return store->items().size() == 2; }, 10000));
    QTest::qWait(20);
    EXPECT_EQ(texts(), (QStringList{large, "after the large one"}));
    EXPECT_EQ(store->items().first(), big);
    EXPECT_EQ(RawConnection(databasePath()).scalar(QStringLiteral("SELECT count(*) FROM ClipboardItem")), 2);

    const QString other(HistoryStore::kBackgroundWriteSize, u'o');
    addText(other);
    addText(QStringLiteral("queued behind it"));
    store = reopen();
    EXPECT_EQ(texts(), (QStringList{"queued behind it", other, large, "after the large one"}));
}

// A history whose items are named by one letter: an upper-case letter is a text large enough for
// the writer thread, a lower-case one a small text.
class HistoryStoreQueueTest : public HistoryStoreTest {
protected:
    static QString textOf(QChar name) {
        return name.isUpper() ? QString(HistoryStore::kBackgroundWriteSize, name) : QString(name);
    }
    ClipboardItemPtr named(QChar name) const {
        for (const ClipboardItemPtr& item : store->items()) {
            if (item->plainText() == textOf(name))
                return item;
        }
        return nullptr;
    }
    // Each item's name ("@" for a picture), "*" after a pinned one, newest first.
    QStringList names() const {
        QStringList result;
        for (const ClipboardItemPtr& item : store->items()) {
            result.append(item->plainText().value_or(QStringLiteral("@")).left(1) +
                          (item->isPinned() ? QStringLiteral("*") : QString()));
        }
        return result;
    }
    // The same, read from the file through a connection of its own.
    QStringList storedNames() const {
        QStringList result;
        RawConnection raw(databasePath());
        QSqlQuery rows = raw.query(QStringLiteral("SELECT coalesce(substr(plainText, 1, 1), '@'), isPinned "
                                                  "FROM ClipboardItem ORDER BY createdAt DESC, rowid DESC"));
        while (rows.next())
            result.append(rows.value(0).toString() +
                          (rows.value(1).toBool() ? QStringLiteral("*") : QString()));
        return result;
    }
};

struct QueueCase {
    const char* name;
    // "+X" adds X (again), "pX" toggles its pin, "-X" deletes it, "L<n>" lowers the limit to n.
    QStringList steps;
    QStringList remaining;
};

class HistoryStoreQueueOrder : public HistoryStoreQueueTest,
                               public ::testing::WithParamInterface<QueueCase> {};

// The steps follow each other without waiting for the file; each pin, delete and trim shows in the
// list at once, and the file ends as the user left the list.
TEST_P(HistoryStoreQueueOrder, FileEndsInTheOrderOfTheChanges) {
    const QueueCase& c = GetParam();
    for (const QString& step : c.steps) {
        const QChar name = step.at(1);
        if (step.startsWith(u'+')) {
            addText(textOf(name));
            continue;
        }
        if (step.startsWith(u'L')) {
            defaults.setValue(QStringLiteral("historyLimit"), step.mid(1).toInt());
            store->enforceLimit();
            const auto unpinned =
                std::count_if(store->items().begin(), store->items().end(),
                              [](const ClipboardItemPtr& item) { return !item->isPinned(); });
            EXPECT_LE(unpinned, step.mid(1).toInt()) << c.name << ": " << step.toStdString();
            continue;
        }
        // A new item is listed once its row is committed.
        ASSERT_TRUE(QTest::qWaitFor([&] { return named(name) != nullptr; }, 10000)) << c.name;
        const ClipboardItemPtr item = named(name);
        if (step.startsWith(u'p')) {
            const bool pinned = item->isPinned();
            store->togglePin(item);
            EXPECT_NE(item->isPinned(), pinned) << c.name << ": " << step.toStdString();
        } else {
            store->deleteItem(item);
            EXPECT_FALSE(store->item(item->id())) << c.name << ": " << step.toStdString();
        }
    }
    store->waitForWrites();
    EXPECT_EQ(names(), c.remaining) << c.name;
    EXPECT_EQ(storedNames(), c.remaining) << c.name;
    store = reopen();
    EXPECT_EQ(names(), c.remaining) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryStoreQueueOrder,
    ::testing::Values(
        QueueCase{"pinThenDelete", {"+A", "+b", "pA", "-A"}, {"b"}},
        QueueCase{"deleteThenAddAgain", {"+A", "+b", "-A", "+A"}, {"A", "b"}},
        QueueCase{"pinTogglesInOrder", {"+A", "pA", "pA", "pA"}, {"A*"}},
        QueueCase{"smallChangesBehindLargeOnes", {"+A", "pA", "+b", "pb", "+c", "-b", "pc"}, {"c*", "A*"}},
        QueueCase{"addAgainMovesUpAndKeepsThePin", {"+A", "+b", "pA", "+A", "pb", "-b"}, {"A*"}},
        QueueCase{"trimKeepsPinnedItems", {"+A", "+B", "+c", "pB", "L1"}, {"c", "B*"}},
        QueueCase{"trimThenAdd", {"+A", "+B", "L1", "+c", "+D"}, {"D"}},
        QueueCase{"deleteThenAddAgainSmall", {"+A", "pA", "+b", "-b", "+b", "-A"}, {"b"}}),
    [](const ::testing::TestParamInfo<QueueCase>& info) { return std::string(info.param.name); });

// While another connection holds the write lock, changes of large items (and the changes queued
// behind them) return at once with the list showing them; the file takes them once the lock is
// gone, and a picture leaves the disk only after its row has.
TEST_F(HistoryStoreQueueTest, LargeChangesDoNotWaitForTheFile) {
    addText(textOf(u'A'));
    addText(textOf(u'B'));
    const ClipboardItemPtr image = addImage(pngBytes({4, 4}));
    store->waitForWrites();
    {
        RawConnection locker(databasePath());
        locker.query(QStringLiteral("BEGIN IMMEDIATE"));
        store->togglePin(named(u'A'));
        store->deleteItem(named(u'B'));
        store->deleteItem(image);
        addText(QStringLiteral("c"));
        EXPECT_EQ(names(), QStringList{"A*"});
        EXPECT_TRUE(images.exists(*image->imageFilename()));
        EXPECT_EQ(locker.scalar(QStringLiteral("SELECT count(*) FROM ClipboardItem WHERE isPinned = 0")), 3);
        locker.query(QStringLiteral("ROLLBACK"));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return store->items().size() == 2; }, 10000));
    EXPECT_EQ(names(), (QStringList{"c", "A*"}));
    EXPECT_FALSE(images.exists(*image->imageFilename()));
    store = reopen();
    EXPECT_EQ(names(), (QStringList{"c", "A*"}));
}

// Quitting closes the store: the changes still queued are written first.
TEST_F(HistoryStoreQueueTest, ClosingWritesTheQueuedChanges) {
    addText(textOf(u'A'));
    addText(textOf(u'B'));
    store->waitForWrites();
    store->togglePin(named(u'A'));
    store->deleteItem(named(u'B'));
    addText(QStringLiteral("c"));
    store = reopen();
    EXPECT_EQ(names(), (QStringList{"c", "A*"}));
}

// A snippet edited from a large text to a small one and back: each edit reaches the file after the
// one before, whatever its size.
TEST_F(HistoryStoreQueueTest, SnippetEditsOfEverySizeStayInOrder) {
    const ClipboardItemPtr snippet = store->addSnippet(QStringLiteral("s"), textOf(u'A'));
    store->updateSnippet(snippet, QStringLiteral("s"), QStringLiteral("b"));
    store->updateSnippet(snippet, QStringLiteral("s"), textOf(u'C'));
    store->updateSnippet(snippet, QStringLiteral("s"), QStringLiteral("d"));
    EXPECT_EQ(names(), QStringList{"d"});
    store->waitForWrites();
    EXPECT_EQ(storedNames(), QStringList{"d"});
    const ClipboardItemPtr other = store->addSnippet(QStringLiteral("t"), QStringLiteral("e"));
    store->updateSnippet(other, QStringLiteral("t"), textOf(u'F'));
    store->deleteItem(other);
    store = reopen();
    EXPECT_EQ(names(), QStringList{"d"});
}

// The list is read on the writer thread: opening returns before it is there, items added meanwhile
// wait for it (a copy of a stored item moves it up instead of adding another), and a failed queued
// change has the list read again there.
TEST_F(HistoryStoreQueueTest, ListReadInTheBackground) {
    addText(textOf(u'A'));
    addText(QStringLiteral("b"));
    addImage(pngBytes({4, 4}));
    store->waitForWrites();
    store->togglePin(named(u'A'));
    store = nullptr;
    HistoryStore::Options options;
    options.databasePath = databasePath();
    options.images = &images;
    options.defaults = &defaults;
    options.busyTimeoutMs = 50;
    options.loadInBackground = true;
    store = HistoryStore::open(options);
    ASSERT_TRUE(store);
    EXPECT_TRUE(store->items().isEmpty());
    QSignalSpy listChanges(store.get(), &HistoryStore::itemsChanged);
    addText(QStringLiteral("b"));
    addText(QStringLiteral("c"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return store->items().size() == 4; }, 10000));
    QTest::qWait(20);
    EXPECT_EQ(names(), (QStringList{"c", "b", "@", "A*"}));
    EXPECT_GE(listChanges.count(), 1);

    {
        RawConnection locker(databasePath());
        locker.query(QStringLiteral("BEGIN IMMEDIATE"));
        store->togglePin(named(u'A'));
        store->deleteItem(named(u'b'));
        EXPECT_EQ(names(), (QStringList{"c", "@", "A"}));
        store->waitForWrites();
        EXPECT_EQ(names(), (QStringList{"c", "b", "@", "A*"}));
        locker.query(QStringLiteral("ROLLBACK"));
    }
    store = reopen();
    EXPECT_EQ(names(), (QStringList{"c", "b", "@", "A*"}));
}

// Queued changes that cannot be written leave the list showing what the file holds once the queue
// is empty, and no picture of an item still stored is deleted.
TEST_F(HistoryStoreQueueTest, FailedQueuedChangesReloadTheList) {
    store = nullptr;
    store = openStore(nullptr, 50);
    addText(textOf(u'A'));
    addText(textOf(u'B'));
    const ClipboardItemPtr image = addImage(pngBytes({4, 4}));
    store->waitForWrites();
    const QStringList before{"@", "B", "A"};
    EXPECT_EQ(names(), before);
    {
        RawConnection locker(databasePath());
        locker.query(QStringLiteral("BEGIN IMMEDIATE"));
        store->togglePin(named(u'A'));
        store->deleteItem(named(u'B'));
        store->deleteItem(image);
        EXPECT_EQ(names(), QStringList{"A*"});
        QSignalSpy listChanges(store.get(), &HistoryStore::itemsChanged);
        store->waitForWrites();
        EXPECT_EQ(listChanges.count(), 1);
        EXPECT_EQ(names(), before);
        EXPECT_TRUE(images.exists(*image->imageFilename()));
        locker.query(QStringLiteral("ROLLBACK"));
    }
    store->deleteItem(named(u'B'));
    store->togglePin(named(u'A'));
    store->waitForWrites();
    EXPECT_EQ(storedNames(), (QStringList{"@", "A*"}));
}

// An item classified beforehand (as the capture worker does) is filed exactly as classified.
TEST_F(HistoryStoreTest, ClassifiedItemsAreFiledAsTheyAre) {
    const ClipboardItemPtr colour = ClipboardItem::make(textItem(QStringLiteral("  #a1b2c3\n")));
    HistoryStore::classify(*colour);
    EXPECT_EQ(colour->type(), ItemType::color);
    EXPECT_EQ(colour->contentTagsRaw(), QStringLiteral("hexColor"));
    const QString json =
        QStringLiteral("{\"a\": [") + QStringLiteral("1,").repeated(20000) + QStringLiteral("1]}");
    const ClipboardItemPtr long_ = ClipboardItem::make(textItem(json));
    HistoryStore::classify(*long_);
    store->add(colour);
    store->add(long_);
    // Tagged already: nothing is left to arrive later.
    EXPECT_EQ(long_->contentTagsRaw(), QStringLiteral("json"));
    EXPECT_EQ(store->items(), (QList<ClipboardItemPtr>{long_, colour}));
}

// A kill between writing a picture and committing its row (or between committing a repeated picture
// and deleting its second file) leaves a file that no row names; the next start removes it and
// nothing else.
TEST_F(HistoryStoreTest, OpeningRemovesCapturedPicturesThatNoRowNames) {
    const QByteArray png = pngBytes({6, 6}, Qt::blue);
    const ClipboardItemPtr image = addImage(png);
    auto uuidName = [] {
        return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".png");
    };
    const QString unnamed = uuidName();
    const QString secondCopy = uuidName();
    const QString lowerCase = uuidName().toLower();
    const QStringList foreign = {lowerCase, QStringLiteral("notes.txt"), QStringLiteral("P.png"),
                                 uuidName() + QStringLiteral(".tmp")};
    for (const QString& name : QStringList{unnamed, secondCopy} + foreign)
        ASSERT_TRUE(images.write(name, png));
    // A row naming a file that does not follow the pattern keeps it too.
    NewClipboardItem odd;
    odd.type = ItemType::image;
    odd.imageFilename = QStringLiteral("odd.png");
    odd.dedupeKey = QStringLiteral("img:odd");
    ASSERT_TRUE(images.write(QStringLiteral("odd.png"), png));
    store->add(ClipboardItem::make(odd));

    store = reopen();
    QStringList expected = foreign + QStringList{*image->imageFilename(), QStringLiteral("odd.png")};
    expected.sort();
    EXPECT_EQ(imageFiles(), expected);
    EXPECT_EQ(store->item(image->id())->imageFilename(), image->imageFilename());
    EXPECT_FALSE(images.image(*image->imageFilename()).isNull());
}

TEST_F(HistoryStoreTest, SourceAppsByMostRecentUse) {
    auto fromApp = [&](const QString& text, std::optional<QString> bundle, std::optional<QString> name) {
        NewClipboardItem content = textItem(text);
        content.sourceAppBundleID = std::move(bundle);
        content.sourceAppName = std::move(name);
        store->add(ClipboardItem::make(content));
    };
    fromApp(QStringLiteral("1"), QStringLiteral("org.example.A"), QStringLiteral("Old name"));
    fromApp(QStringLiteral("2"), QStringLiteral("org.example.B"), std::nullopt);
    fromApp(QStringLiteral("3"), QString(), QStringLiteral("Nameless"));
    fromApp(QStringLiteral("4"), QStringLiteral("org.example.A"), QString());
    store->setDisplayNameLookup([](const QString& id) { return QStringLiteral("App ") + id.right(1); });
    EXPECT_EQ(store->sourceApps(),
              (QList<HistoryStore::SourceApp>{{"org.example.A", ""}, {"org.example.B", "App B"}}));
}

// Blocks recognition until released (or ten seconds pass), to change the history while it runs.
class GatedRecognizer final : public Platform::TextRecognizer {
public:
    QStringList recognizeLines(const QImage&) override {
        ++calls;
        ++running;
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            ranOnMainThread = true;
        started.release();
        if (!gate.tryAcquire(1, 10000))
            timedOut = true;
        --running;
        return {QStringLiteral("Faktura 2024-03-05")};
    }
    QSemaphore started;
    QSemaphore gate;
    std::atomic<int> calls = 0;
    std::atomic<int> running = 0;
    std::atomic<bool> ranOnMainThread = false;
    std::atomic<bool> timedOut = false;
};

TEST_F(HistoryStoreTest, RecognisedTextIsWrittenBackById) {
    recognizer.setLines({QStringLiteral("Rachunek"), QStringLiteral("ola@example.org")});
    const ClipboardItemPtr image = addImage(pngBytes({30, 30}));
    QSignalSpy changed(store.get(), &HistoryStore::itemChanged);
    ASSERT_TRUE(QTest::qWaitFor([&] { return image->ocrText().has_value(); }, 10000));
    EXPECT_EQ(image->ocrText(), QStringLiteral("Rachunek\nola@example.org"));
    EXPECT_EQ(image->contentTagsRaw(), QStringLiteral("email"));
    EXPECT_EQ(image->previewTitle(), QStringLiteral("Rachunek"));
    store = reopen();
    EXPECT_EQ(store->items()[0]->ocrText(), QStringLiteral("Rachunek\nola@example.org"));
    EXPECT_EQ(recognizer.callCount(), 1);
}

TEST_F(HistoryStoreTest, RecognisedTextTagsAnUntaggedImage) {
    recognizer.setLines({QStringLiteral("2024-03-05")});
    const ClipboardItemPtr image = addImage(pngBytes({30, 30}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return image->ocrText().has_value(); }, 10000));
    EXPECT_EQ(image->contentTagsRaw(), QStringLiteral("date"));
    // A copy of the same picture is not recognised again.
    addImage(pngBytes({30, 30}));
    QTest::qWait(50);
    EXPECT_EQ(recognizer.callCount(), 1);
}

// A store whose recognizer is held at a gate, with captured pictures filed as the factory does.
struct GatedHistory {
    GatedHistory() {
        HistoryStore::Options options;
        options.databasePath = root.filePath(QStringLiteral("history.sqlite"));
        options.images = &images;
        options.defaults = &defaults;
        options.recognizer = &gated;
        store = HistoryStore::open(options);
    }
    ~GatedHistory() {
        gated.gate.release(100);
        store.reset();
        // Recognitions the store abandoned may still use the recognizer: the pool deletes it after
        // the last of them.
        OCRService::retire(std::move(ownedGated));
    }
    ClipboardItemPtr addImage(QColor color) {
        return addCapturedImage(images, *store, pngBytes({8, 8}, color));
    }

    QTemporaryDir root;
    ImageStore images{root.filePath(QStringLiteral("Images"))};
    Platform::UserDefaults defaults;
    std::unique_ptr<GatedRecognizer> ownedGated = std::make_unique<GatedRecognizer>();
    GatedRecognizer& gated = *ownedGated;
    std::unique_ptr<HistoryStore> store;
};

TEST(HistoryStoreRecognition, ItemDeletedWhileRecognisingIsLeftAlone) {
    GatedHistory history;
    ASSERT_TRUE(history.store);
    const ClipboardItemPtr image = history.addImage(Qt::red);
    ASSERT_TRUE(history.gated.started.tryAcquire(1, 10000));
    history.store->deleteItem(image);
    QSignalSpy changed(history.store.get(), &HistoryStore::itemChanged);
    history.gated.gate.release();
    history.store->waitForRecognitions();
    QTest::qWait(50);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_TRUE(history.store->items().isEmpty());
    EXPECT_FALSE(image->ocrText());
}

// At quit the store drops the pictures still waiting for recognition and does not wait for the
// ones being read: neither runs on the quitting thread, and no result is written afterwards.
TEST(HistoryStoreRecognition, StoppingDropsQueuedRecognitionsAndNeverWaits) {
    GatedHistory history;
    ASSERT_TRUE(history.store);
    QList<ClipboardItemPtr> pictures;
    for (const Qt::GlobalColor color : {Qt::red, Qt::green, Qt::blue, Qt::cyan, Qt::magenta})
        pictures.append(history.addImage(color));
    ASSERT_TRUE(history.gated.started.tryAcquire(1, 10000));

    // Waiting for a running recognition here would last until the gate gives up.
    history.store->stopRecognitions();
    EXPECT_FALSE(history.gated.timedOut);
    history.gated.gate.release(5);

    // Everything queued before this recognition has left the queue once it is done.
    Platform::FakeTextRecognizer after({QStringLiteral("after")});
    EXPECT_EQ(OCRService::recognize(history.images.path(*pictures[0]->imageFilename()), &after).result(),
              QStringLiteral("after"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return history.gated.running == 0; }, 10000));
    QTest::qWait(50);
    // At most one picture per thread of the small recognition pool was under way.
    EXPECT_LE(history.gated.calls, 2);
    EXPECT_FALSE(history.gated.ranOnMainThread);
    for (const ClipboardItemPtr& picture : pictures)
        EXPECT_FALSE(picture->ocrText());
}

// Another program holds the write lock: changes fail, are rolled back, and no file is deleted
// for an item that is still stored.
TEST_F(HistoryStoreTest, FailedWritesLeaveFilesAndListAlone) {
    store = nullptr;
    store = openStore(nullptr, 50);
    const ClipboardItemPtr image = addImage(pngBytes({4, 4}));
    addText(QStringLiteral("text"));
    {
        RawConnection locker(databasePath());
        locker.query(QStringLiteral("BEGIN IMMEDIATE"));
        store->deleteItem(image);
        store->clearAll(false, true);
        addText(QStringLiteral("not stored"));
        store->togglePin(image);
        EXPECT_EQ(texts(), (QStringList{"text", "<none>"}));
        EXPECT_TRUE(images.exists(*image->imageFilename()));
        EXPECT_FALSE(image->isPinned());
        locker.query(QStringLiteral("ROLLBACK"));
    }
    store->deleteItem(image);
    EXPECT_EQ(texts(), QStringList{"text"});
    EXPECT_FALSE(images.exists(*image->imageFilename()));
}

// Snippet changes that cannot be written say so: at once when written here, through the callback
// when the writer thread refuses them (a large text); the snippet keeps its stored texts and a
// refused new snippet is not listed.
TEST_F(HistoryStoreTest, RefusedSnippetWritesAreReported) {
    const QString large(HistoryStore::kBackgroundWriteSize, u'x');
    struct Case {
        const char* name;
        QString content;
        bool refusedAtOnce;
    };
    for (const Case& c : {Case{"small text, written here", QStringLiteral("new text"), true},
                          Case{"large text, written by the writer thread", large, false}}) {
        SCOPED_TRACE(c.name);
        store = nullptr;
        QFile::remove(databasePath());
        store = openStore(nullptr, 50);
        const ClipboardItemPtr snippet = store->addSnippet(QStringLiteral("Title"), QStringLiteral("old text"));
        ASSERT_TRUE(snippet);
        std::optional<bool> updated;
        std::optional<bool> added;
        ClipboardItemPtr addedSnippet;
        {
            RawConnection locker(databasePath());
            locker.query(QStringLiteral("BEGIN IMMEDIATE"));
            const bool accepted = store->updateSnippet(snippet, QStringLiteral("New title"), c.content,
                                                       [&](bool saved) { updated = saved; });
            addedSnippet = store->addSnippet(QStringLiteral("Added"), c.content, [&](bool saved) { added = saved; });
            EXPECT_EQ(accepted, !c.refusedAtOnce);
            EXPECT_EQ(addedSnippet == nullptr, c.refusedAtOnce);
            // A queued write fails once the lock has outlasted its wait.
            EXPECT_TRUE(QTest::qWaitFor([&] { return updated && added; }, 5000));
            locker.query(QStringLiteral("ROLLBACK"));
        }
        store->waitForWrites();
        EXPECT_EQ(updated, false);
        EXPECT_EQ(added, false);
        ASSERT_EQ(store->snippets().size(), 1);
        EXPECT_EQ(store->snippets().first()->snippetTitle(), "Title");
        EXPECT_EQ(store->snippets().first()->plainText(), "old text");

        // Unlocked, the same change is stored and reported.
        EXPECT_TRUE(store->updateSnippet(snippet, QStringLiteral("New title"), c.content,
                                         [&](bool saved) { updated = saved; }));
        store->waitForWrites();
        EXPECT_EQ(updated, true);
        store = reopen();
        EXPECT_EQ(store->snippets().first()->plainText(), c.content);
    }
}

// The file gives back the room of a large clip once it is gone: by deleting it, clearing the
// history or erasing everything; a file made before incremental vacuum is converted on the way.
TEST_F(HistoryStoreTest, TheFileShrinksWhenALargeClipGoes) {
    const auto fileSize = [this] {
        return QFileInfo(databasePath()).size() + QFileInfo(databasePath() + QStringLiteral("-wal")).size();
    };
    struct Case {
        const char* name;
        bool madeWithoutIncrementalVacuum;
        std::function<void(HistoryStore&, const ClipboardItemPtr&)> remove;
    };
    const Case cases[] = {
        {"delete", false, [](HistoryStore& s, const ClipboardItemPtr& clip) { s.deleteItem(clip); }},
        {"delete from an old file", true, [](HistoryStore& s, const ClipboardItemPtr& clip) { s.deleteItem(clip); }},
        {"clear", false, [](HistoryStore& s, const ClipboardItemPtr&) { s.clearAll(true, false); }},
        {"clear an old file", true, [](HistoryStore& s, const ClipboardItemPtr&) { s.clearAll(true, false); }},
        {"erase all", true, [](HistoryStore& s, const ClipboardItemPtr&) { EXPECT_TRUE(s.eraseAll()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store = nullptr;
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(databasePath() + QLatin1String(suffix));
        store = openStore();
        store->togglePin(addText(QStringLiteral("pinned, kept")));
        if (c.madeWithoutIncrementalVacuum) {
            store = nullptr;
            RawConnection old(databasePath());
            old.query(QStringLiteral("PRAGMA auto_vacuum = NONE"));
            old.query(QStringLiteral("VACUUM"));
            ASSERT_EQ(old.scalar(QStringLiteral("PRAGMA auto_vacuum")).toInt(), 0);
        }
        store = openStore();
        store->waitForWrites();
        const qint64 before = fileSize();

        NewClipboardItem large = textItem(QString(20 * 1024 * 1024, u'j'));
        large.contentTagsRaw = QString();
        const ClipboardItemPtr clip = ClipboardItem::make(large);
        store->add(clip);
        store->waitForWrites();
        ASSERT_GT(fileSize(), before + 20 * 1024 * 1024);

        c.remove(*store, clip);
        store->waitForWrites();
        EXPECT_LT(fileSize(), before + 256 * 1024) << "before " << before << ", now " << fileSize();
        EXPECT_EQ(RawConnection(databasePath()).scalar(QStringLiteral("PRAGMA auto_vacuum")).toInt(), 2)
            << "incremental from now on";
    }
}

TEST_F(HistoryStoreTest, EraseAllRemovesEverythingOnDisk) {
    store->togglePin(addText(QStringLiteral("pinned")));
    store->addSnippet(QStringLiteral("s"), QStringLiteral("snippet"));
    addImage(pngBytes({2, 2}));
    EXPECT_TRUE(store->eraseAll());
    EXPECT_TRUE(store->items().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(images.directory()));
    store = reopen();
    EXPECT_TRUE(store->items().isEmpty());
}

class HistoryStoreOpenTest : public ::testing::Test {
protected:
    std::unique_ptr<HistoryStore> open(const QString& path, QString* error) {
        HistoryStore::Options options;
        options.databasePath = path;
        options.images = &images;
        options.defaults = &defaults;
        return HistoryStore::open(options, error);
    }

    QTemporaryDir root;
    ImageStore images{root.filePath(QStringLiteral("Images"))};
    Platform::UserDefaults defaults;
};

TEST_F(HistoryStoreOpenTest, FileThatIsNotADatabaseIsLeftUntouched) {
    const QString path = root.filePath(QStringLiteral("history.sqlite"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray content = QByteArray("my notes, not a database\n").repeated(200);
    file.write(content);
    file.close();
    const QDateTime modified = QFileInfo(path).lastModified();

    QString error;
    EXPECT_FALSE(open(path, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("not a database"))) << error.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), content);
    EXPECT_EQ(QFileInfo(path).lastModified(), modified);
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral("-wal")));
}

TEST_F(HistoryStoreOpenTest, CorruptDatabaseBodyIsReported) {
    const QString path = root.filePath(QStringLiteral("history.sqlite"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\x7f'));
    file.close();
    QString error;
    EXPECT_FALSE(open(path, &error));
    EXPECT_FALSE(error.isEmpty());
}

struct ForeignDatabaseCase {
    const char* name;
    int userVersion;
    const char* errorMentions;
};

class HistoryStoreForeignDatabase : public HistoryStoreOpenTest,
                                    public ::testing::WithParamInterface<ForeignDatabaseCase> {};

// A newer history, or another program's database, is refused and not changed by a single byte.
TEST_P(HistoryStoreForeignDatabase, IsRefusedUntouched) {
    const ForeignDatabaseCase& c = GetParam();
    const QString path = root.filePath(QStringLiteral("history.sqlite"));
    {
        RawConnection raw(path);
        raw.query(QStringLiteral("CREATE TABLE Other (x)"));
        raw.query(QStringLiteral("PRAGMA user_version = %1").arg(c.userVersion));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    QString error;
    EXPECT_FALSE(open(path, &error));
    EXPECT_TRUE(error.contains(QString::fromLatin1(c.errorMentions))) << error.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, HistoryStoreForeignDatabase,
                         ::testing::Values(ForeignDatabaseCase{"newerHistory", 99, "99"},
                                           ForeignDatabaseCase{"otherProgram", 0, "another program"}),
                         [](const ::testing::TestParamInfo<ForeignDatabaseCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(HistoryStoreOpenTest, DefaultLocationsFollowXdgDataHome) {
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("xdg")).toLocal8Bit());
    EXPECT_EQ(HistoryStore::defaultDatabasePath(),
              root.filePath(QStringLiteral("xdg/Quillstack/history.sqlite")));
    EXPECT_EQ(ImageStore::defaultDirectory(), root.filePath(QStringLiteral("xdg/Quillstack/Images")));
    if (saved.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved);
}

TEST_F(HistoryStoreOpenTest, SharedStoreLivesInTheXdgDataDirectory) {
    qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("shared")).toLocal8Bit());
    HistoryStore& shared = HistoryStore::shared();
    EXPECT_EQ(&shared, &HistoryStore::shared());
    shared.add(ClipboardItem::make(textItem(QStringLiteral("kept"))));
    // The shared store reads its list in the background; the item is filed once that is done.
    shared.waitForWrites();
    EXPECT_EQ(shared.parent(), QCoreApplication::instance());
    RawConnection raw(root.filePath(QStringLiteral("shared/Quillstack/history.sqlite")));
    EXPECT_EQ(raw.scalar(QStringLiteral("SELECT plainText FROM ClipboardItem")).toString(),
              QStringLiteral("kept"));
    EXPECT_TRUE(QFileInfo(root.filePath(QStringLiteral("shared/Quillstack/Images"))).isDir());
}

TEST_F(HistoryStoreOpenTest, SharedStoreThatCannotOpenEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QString dataHome = root.filePath(QStringLiteral("data"));
    QDir().mkpath(dataHome + QStringLiteral("/Quillstack"));
    QFile file(dataHome + QStringLiteral("/Quillstack/history.sqlite"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("plain text");
    file.close();
    qputenv("XDG_DATA_HOME", dataHome.toLocal8Bit());
    // The child runs this test again from the start and dies without removing its own temporary
    // folder: it makes that folder inside ours, which goes when this test ends.
    const QByteArray savedTemporary = qgetenv("TMPDIR");
    qputenv("TMPDIR", root.path().toLocal8Bit());
    EXPECT_DEATH(HistoryStore::shared(), "Nie można otworzyć bazy historii: .*not a database");
    if (savedTemporary.isEmpty())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTemporary);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("plain text"));
}

} // namespace
