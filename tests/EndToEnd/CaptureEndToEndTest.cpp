// The real monitor, store and paste service against the X server of the test session: other
// clients copy with xclip and the helper owner, a test window of our own is the application in
// front, xdotool types.
#include "TestSession.h"

#include <Capture/DefaultSettings.h>
#include <Capture/PasteQueue.h>
#include <Capture/PasteService.h>
#include <Capture/PasteboardMonitor.h>
#include <Platform/Scheduling/QtScheduler.h>
#include <Platform/TextRecognition/TesseractTextRecognizer.h>
#include <Platform/UserDefaults.h>
#include <Platform/X11/X11GlobalKeyMonitor.h>
#include <Platform/X11/X11Pasteboard.h>
#include <Platform/X11/X11SyntheticKeyboard.h>
#include <Platform/X11/X11Workspace.h>
#include <Storage/HistoryStore.h>
#include <Storage/ImageStore.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QJsonArray>
#include <QPainter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using TestSession::Child;
using TestSession::waitUntil;
using namespace std::chrono_literals;

namespace {

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage textPicture(const QString& text) {
    QImage image(900, 160, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(56);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(image.rect(), Qt::AlignCenter, text);
    return image;
}

struct StoredRow {
    QString typeRaw;
    QString plainText;
    QString source;
    QString imageFilename;
    bool hasRichData = false;
};

class CaptureEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pasteboard.isValid());
        ASSERT_TRUE(workspace.isValid());
        App::registerDefaultSettings(defaults);
        defaults.setValue(App::SettingsKeys::ignoredBundleIDs, QJsonArray{"QsIgnoredApp"});
        HistoryStore::Options options;
        options.databasePath = root.filePath(QStringLiteral("history.sqlite"));
        options.images = &images;
        options.defaults = &defaults;
        options.recognizer = &recognizer;
        store = HistoryStore::open(options);
        ASSERT_TRUE(store);
        monitor = std::make_unique<PasteboardMonitor>(PasteboardMonitor::Dependencies{
            pasteboard, workspace, defaults, scheduler, images, [this](const ClipboardItemPtr& item) {
                store->add(item);
            }});
        monitor->start();
    }
    void TearDown() override {
        if (store)
            store->waitForRecognitions();
    }

    // A test window that is in front and has the keyboard focus; its WM_CLASS class names it.
    std::unique_ptr<Child> openWindow(const QString& className) {
        auto window = std::make_unique<Child>(QStringLiteral(QS_TEST_WINDOW),
                                              QStringList{"--class", "qs-e2e," + className});
        const quint32 id = window->waitForLine(QStringLiteral("window ")).value_or(QString()).toUInt();
        EXPECT_NE(id, 0u);
        EXPECT_TRUE(waitUntil([&] {
            const auto front = workspace.frontmostApplication();
            return front && front->window == id;
        }));
        EXPECT_TRUE(TestSession::waitForInputFocus(id));
        windowId = id;
        return window;
    }

    void xclip(const QString& target, const QByteArray& bytes) {
        QFile file(root.filePath(QStringLiteral("clip")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QProcess process;
        process.start(QStringLiteral("xclip"),
                      {"-selection", "clipboard", "-t", target, "-i", file.fileName()});
        ASSERT_TRUE(process.waitForFinished(5000));
    }

    // A copy by an owner that offers several targets, each from its own file.
    std::unique_ptr<Child> offer(const QList<std::pair<QString, QByteArray>>& targets,
                                 const QStringList& flags = {}) {
        QStringList arguments = flags;
        int n = 0;
        for (const auto& [target, bytes] : targets) {
            const QString path = root.filePath(QStringLiteral("target%1").arg(n++));
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(bytes);
            arguments << target + u'=' + path;
        }
        auto owner = std::make_unique<Child>(QStringLiteral(QS_TEST_SELECTION_OWNER), arguments);
        EXPECT_TRUE(owner->waitForLine(QStringLiteral("owner")).has_value());
        return owner;
    }

    // Waits for the history to hold `count` items; on failure, says what it holds.
    ::testing::AssertionResult waitForItems(qsizetype count, int timeoutMs = 15000) {
        if (waitUntil([&] { return store->items().size() >= count; }, timeoutMs))
            return ::testing::AssertionSuccess();
        QStringList held;
        for (const ClipboardItemPtr& item : store->items())
            held << item->typeRaw() + u'/' + item->sourceAppBundleID().value_or(QStringLiteral("-"));
        return ::testing::AssertionFailure()
               << "the history holds " << held.join(u',').toStdString() << " and "
               << workspace.frontmostApplication()
                      .value_or(Platform::RunningApplication{})
                      .desktopId.toStdString()
               << " is in front";
    }

    // Every row of the SQLite file, read through a connection of its own, newest first.
    QList<StoredRow> storedRows() {
        QList<StoredRow> rows;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
            db.setDatabaseName(root.filePath(QStringLiteral("history.sqlite")));
            EXPECT_TRUE(db.open());
            QSqlQuery query(db);
            query.exec(QStringLiteral("SELECT typeRaw, plainText, sourceAppBundleID, imageFilename, richData "
                                      "FROM ClipboardItem ORDER BY createdAt DESC"));
            while (query.next()) {
                rows << StoredRow{query.value(0).toString(), query.value(1).toString(),
                                  query.value(2).toString(), query.value(3).toString(),
                                  !query.value(4).isNull()};
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("reader"));
        return rows;
    }

    QStringList imageFiles() const { return QDir(images.directory()).entryList(QDir::Files); }

    // Gives the monitor time to read the current clip and file what it makes of it.
    void settle(int ms = 500) {
        waitUntil([] { return false; }, ms);
        monitor->waitForPendingClips();
        QCoreApplication::processEvents();
    }

    QTemporaryDir root;
    ImageStore images{root.filePath(QStringLiteral("Images"))};
    Platform::UserDefaults defaults;
    Platform::TesseractTextRecognizer recognizer;
    Platform::X11::X11Pasteboard pasteboard;
    Platform::X11::X11Workspace workspace;
    Platform::QtScheduler scheduler;
    std::unique_ptr<HistoryStore> store;
    std::unique_ptr<PasteboardMonitor> monitor;
    quint32 windowId = 0;
};

TEST_F(CaptureEndToEnd, EveryKindCopiedByAnotherClientIsStoredWithTheApplicationInFront) {
    const auto window = openWindow(QStringLiteral("QsCaptureWindow"));

    xclip(QStringLiteral("UTF8_STRING"), "plain words from xclip");
    ASSERT_TRUE(waitForItems(1));
    const auto rich = offer({{"UTF8_STRING", "rich words"}, {"text/rtf", "{\\rtf1\\ansi {\\b rich} words}"}});
    ASSERT_TRUE(waitForItems(2));
    xclip(QStringLiteral("UTF8_STRING"), "  https://example.org/page?q=1  ");
    ASSERT_TRUE(waitForItems(3));
    const QString fileA = root.filePath(QStringLiteral("a.txt"));
    const QString fileB = root.filePath(QStringLiteral("b c.txt"));
    xclip(QStringLiteral("text/uri-list"), (QUrl::fromLocalFile(fileA).toEncoded() + "\r\n" +
                                            QUrl::fromLocalFile(fileB).toEncoded() + "\r\n"));
    ASSERT_TRUE(waitForItems(4));
    const QByteArray png = encoded(textPicture(QStringLiteral("Quillstack clipboard")), "PNG");
    xclip(QStringLiteral("image/png"), png);
    ASSERT_TRUE(waitForItems(5));
    QImage tiffImage(40, 30, QImage::Format_RGB32);
    tiffImage.fill(Qt::darkCyan);
    xclip(QStringLiteral("image/tiff"), encoded(tiffImage, "TIFF"));
    ASSERT_TRUE(waitForItems(6));

    const QList<StoredRow> rows = storedRows();
    ASSERT_EQ(rows.size(), 6);
    QStringList kinds;
    for (const StoredRow& row : rows) {
        kinds << row.typeRaw;
        EXPECT_EQ(row.source, "QsCaptureWindow") << row.typeRaw.toStdString();
    }
    EXPECT_EQ(kinds, (QStringList{"image", "image", "file", "url", "richText", "text"}));
    EXPECT_EQ(rows[2].plainText, fileA + u'\n' + fileB);
    EXPECT_EQ(rows[3].plainText, "https://example.org/page?q=1");
    EXPECT_TRUE(rows[4].hasRichData);
    EXPECT_EQ(rows[5].plainText, "plain words from xclip");

    // The PNG is stored byte for byte; the TIFF as a PNG of the same picture.
    QFile stored(images.path(rows[1].imageFilename));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), png);
    const QImage converted(images.path(rows[0].imageFilename), "PNG");
    EXPECT_EQ(converted.size(), QSize(40, 30));
    EXPECT_EQ(converted.pixelColor(5, 5), QColor(Qt::darkCyan));

    // The picture's text is recognised and written back later.
    const ClipboardItemPtr picture = store->items().at(1);
    EXPECT_TRUE(waitUntil(
        [&] { return picture->ocrText() && picture->ocrText()->contains(QStringLiteral("Quillstack")); },
        60000))
        << picture->ocrText().value_or(QStringLiteral("<none>")).toStdString();
}

TEST_F(CaptureEndToEnd, ConcealedIgnoredAndPausedClipsLeaveNoTrace) {
    const QByteArray png = encoded(textPicture(QStringLiteral("secret")), "PNG");
    {
        const auto window = openWindow(QStringLiteral("QsCaptureWindow"));
        const auto concealed = offer({{"image/png", png}, {"x-kde-passwordManagerHint", "secret"}});
        // The secret must have been read (and so remembered) before its marker-less copy comes.
        settle();
        monitor->check(true);
        settle();
        // A password manager re-publishing the secret without its marker.
        const auto republished = offer({{"image/png", png}});
        settle();
        monitor->check(true);
        const auto transient = offer({{"UTF8_STRING", "one-time"}, {"org.nspasteboard.TransientType", ""}});
        settle();
    }
    {
        const auto ignored = openWindow(QStringLiteral("QsIgnoredApp"));
        xclip(QStringLiteral("image/png"), png);
        settle();
        monitor->check(true);
        settle();
    }
    {
        const auto window = openWindow(QStringLiteral("QsCaptureWindow"));
        monitor->setPaused(true);
        xclip(QStringLiteral("UTF8_STRING"), "copied while paused");
        settle();
        monitor->check(true);
        monitor->setPaused(false);
        settle(800);
        EXPECT_TRUE(storedRows().isEmpty());
        EXPECT_TRUE(imageFiles().isEmpty());

        // Capture goes on normally afterwards.
        xclip(QStringLiteral("UTF8_STRING"), "visible");
        ASSERT_TRUE(waitForItems(1));
    }
    const QList<StoredRow> rows = storedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].plainText, "visible");
    EXPECT_TRUE(imageFiles().isEmpty());
}

class PasteEndToEnd : public CaptureEndToEnd {
protected:
    void SetUp() override {
        CaptureEndToEnd::SetUp();
        ASSERT_TRUE(keyboard.isValid());
    }
    ClipboardItemPtr addText(const QString& text) {
        xclip(QStringLiteral("UTF8_STRING"), text.toUtf8());
        const qsizetype before = store->items().size();
        EXPECT_TRUE(waitUntil([&] {
            return store->items().size() > before ||
                   (!store->items().isEmpty() && store->items().first()->plainText() == text);
        }));
        return store->items().first();
    }

    Platform::X11::X11SyntheticKeyboard keyboard;
    PasteService paste{pasteboard, keyboard, scheduler, defaults, images};
};

TEST_F(PasteEndToEnd, ChoosingAnItemPastesItIntoTheFocusedWindowOnlyWithAutomaticPasting) {
    const ClipboardItemPtr item = addText(QStringLiteral("pasted by Quillstack"));
    addText(QStringLiteral("newer"));
    const auto window = openWindow(QStringLiteral("QsPasteTarget"));

    defaults.setValue(App::SettingsKeys::autoPaste, false);
    paste.copyToPasteboard(*item, false);
    paste.autoPasteIfEnabled();
    EXPECT_FALSE(window->waitForLine(QStringLiteral("text "), 800).has_value())
        << "only the clipboard changes";
    EXPECT_TRUE(waitUntil([&] { return store->items().first()->id() == item->id(); }))
        << "our own write moves the item to the top";
    EXPECT_EQ(store->items().size(), 2);

    defaults.setValue(App::SettingsKeys::autoPaste, true);
    paste.copyToPasteboard(*item, false);
    paste.autoPasteIfEnabled();
    EXPECT_EQ(window->waitForLine(QStringLiteral("text ")), QStringLiteral("pasted by Quillstack"))
        << qPrintable(window->lines());
}

TEST_F(PasteEndToEnd, TheQueuePastesThreeItemsOnThreeCtrlVPresses) {
    const QList<ClipboardItemPtr> items{addText(QStringLiteral("one ")), addText(QStringLiteral("two ")),
                                        addText(QStringLiteral("three"))};
    const auto window = openWindow(QStringLiteral("QsPasteTarget"));
    defaults.setValue(App::SettingsKeys::autoPaste, false);
    Platform::X11::X11GlobalKeyMonitor keys;
    PasteQueue queue(paste, keys, scheduler);
    queue.start(items);
    ASSERT_TRUE(queue.isMonitoring());
    waitUntil([] { return false; }, 700);

    const QStringList expected{"one ", "one two ", "one two three"};
    for (qsizetype i = 0; i < expected.size(); ++i) {
        // Ctrl+V as a person types it: V is still down while the application pastes, and is
        // released only then. Releasing it at once would race a busy application's clipboard read
        // against the next item being placed.
        const qint64 placedBefore = pasteboard.changeCount();
        Child press(QStringLiteral("xdotool"), {"keydown", "ctrl", "keydown", "v"});
        EXPECT_EQ(window->waitForLine(QStringLiteral("text ")), expected[i]) << qPrintable(window->lines());
        Child release(QStringLiteral("xdotool"), {"keyup", "v", "keyup", "ctrl"});
        EXPECT_TRUE(release.waitForExit());
        if (i + 1 < expected.size()) {
            // The next item is on the clipboard, and the quiet time after placing it has passed.
            EXPECT_TRUE(waitUntil([&] { return pasteboard.changeCount() > placedBefore; }));
            waitUntil([] { return false; }, int(PasteQueue::kPlacedQuietTime.count()) + 150);
        }
    }
    EXPECT_TRUE(waitUntil([&] { return !queue.isActive(); }));
}

} // namespace
