#include "CaptureTestSupport.h"

#include <Analysis/ContentClassifier.h>
#include <Capture/PasteService.h>
#include <Capture/PasteboardMonitor.h>
#include <Platform/Fakes/FakePasteboard.h>
#include <Platform/Fakes/FakeScheduler.h>
#include <Platform/Fakes/FakeSyntheticKeyboard.h>
#include <Platform/Fakes/FakeWorkspace.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QJsonArray>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

const Platform::RunningApplication editor{
    "org.libreoffice.LibreOffice.writer", "LibreOffice Writer", {}, 10, 100};
const Platform::RunningApplication passwords{"com.bitwarden.desktop", "Bitwarden", {}, 11, 101};
const Platform::RunningApplication vesk{"dev.zuvidevozadode.vesk", "Vesk", {}, 12, 102};

Platform::PasteboardClip text(const QString& value) {
    Platform::PasteboardClip clip;
    clip.string = value;
    return clip;
}

class PasteboardMonitorTest : public ::testing::Test {
protected:
    PasteboardMonitorTest() {
        workspace.frontmost = editor;
        workspace.running = {editor};
        monitor = std::make_unique<PasteboardMonitor>(
            PasteboardMonitor::Dependencies{pasteboard, workspace, history.defaults, scheduler,
                                            history.images, [this](const ClipboardItemPtr& item) {
                                                history.store->add(item);
                                            }});
    }

    // Lets clips being read become items and reach the store.
    void settle() {
        for (int i = 0; i < 3; ++i) {
            monitor->waitForPendingClips();
            QCoreApplication::processEvents();
        }
    }
    void copy(const Platform::PasteboardClip& clip) {
        pasteboard.setClip(clip);
        scheduler.advance(300ms);
        settle();
    }
    QStringList texts() const {
        QStringList result;
        for (const ClipboardItemPtr& item : history.store->items())
            result << item->plainText().value_or(QStringLiteral("<none>"));
        return result;
    }

    TemporaryHistory history;
    Platform::FakePasteboard pasteboard;
    Platform::FakeWorkspace workspace;
    Platform::FakeScheduler scheduler;
    std::unique_ptr<PasteboardMonitor> monitor;
};

TEST_F(PasteboardMonitorTest, ContentPresentAtStartIsNotCapturedAndLaterCopiesAre) {
    pasteboard.setClip(text(QStringLiteral("before launch")));
    monitor = std::make_unique<PasteboardMonitor>(
        PasteboardMonitor::Dependencies{pasteboard, workspace, history.defaults, scheduler, history.images,
                                        [this](const ClipboardItemPtr& item) {
                                            history.store->add(item);
                                        }});
    monitor->start();
    scheduler.advance(1s);
    settle();
    EXPECT_TRUE(history.store->items().isEmpty());

    copy(text(QStringLiteral("first")));
    copy(text(QStringLiteral("second")));
    EXPECT_EQ(texts(), (QStringList{"second", "first"}));
    EXPECT_EQ(history.store->items().first()->sourceAppBundleID(),
              QStringLiteral("org.libreoffice.LibreOffice.writer"));
    EXPECT_EQ(history.store->items().first()->sourceAppName(), QStringLiteral("LibreOffice Writer"));
}

TEST_F(PasteboardMonitorTest, AChangeEventIsCheckedOnTheNextTurnWithoutWaitingForTheTimer) {
    monitor->start();
    pasteboard.setClip(text(QStringLiteral("at once")));
    scheduler.advance(0ms);
    settle();
    EXPECT_EQ(texts(), QStringList{"at once"});
}

TEST_F(PasteboardMonitorTest, AnIdleMonitorPollsOnlyAClipboardThatAnnouncesNothing) {
    // Announced changes: nothing runs while nothing happens.
    monitor->start();
    EXPECT_EQ(scheduler.activeRepeatingTimers(), 0);
    scheduler.advance(10s);
    EXPECT_TRUE(scheduler.pendingDelays().empty());
    monitor->stop();

    // Unannounced changes are found by the 0.3 s poll.
    pasteboard.setAnnouncesChanges(false);
    monitor->start();
    EXPECT_EQ(scheduler.activeRepeatingTimers(), 1);
    pasteboard.setClip(text(QStringLiteral("found by polling")));
    scheduler.advance(299ms);
    settle();
    EXPECT_TRUE(texts().isEmpty());
    scheduler.advance(1ms);
    settle();
    EXPECT_EQ(texts(), QStringList{"found by polling"});
    monitor->stop();
    EXPECT_EQ(scheduler.activeRepeatingTimers(), 0);
}

TEST_F(PasteboardMonitorTest, CopyingTheSameTextTwiceKeepsOneItem) {
    monitor->start();
    copy(text(QStringLiteral("twice")));
    copy(text(QStringLiteral("other")));
    copy(text(QStringLiteral("twice")));
    EXPECT_EQ(texts(), (QStringList{"twice", "other"}));
}

TEST_F(PasteboardMonitorTest, PauseConcealedAndIgnoredContentLeaveNoTraceEvenOnForcedChecks) {
    monitor->start();
    auto png = [] {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::green);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }();

    Platform::PasteboardClip secret;
    secret.png = png;
    secret.concealed = true;
    copy(secret);
    monitor->check(true);
    settle();

    Platform::PasteboardClip transient = text(QStringLiteral("transient"));
    transient.transient = true;
    copy(transient);

    workspace.frontmost = passwords;
    Platform::PasteboardClip fromManager;
    fromManager.png = png;
    copy(fromManager);
    monitor->check(true);
    settle();
    workspace.frontmost = editor;

    monitor->setPaused(true);
    copy(text(QStringLiteral("while paused")));
    monitor->check(true);
    settle();
    monitor->setPaused(false);
    scheduler.advance(1s);
    settle();

    EXPECT_TRUE(history.store->items().isEmpty()) << texts().join(u',').toStdString();
    EXPECT_TRUE(history.imageFiles().isEmpty());
}

TEST_F(PasteboardMonitorTest, ConcealedContentIsCapturedWhenTheUserAllowsIt) {
    history.defaults.setValue(App::SettingsKeys::ignoreConcealed, false);
    monitor->start();
    Platform::PasteboardClip secret = text(QStringLiteral("not so secret"));
    secret.concealed = true;
    copy(secret);
    EXPECT_EQ(texts(), QStringList{"not so secret"});
}

TEST_F(PasteboardMonitorTest, AForcedCheckTakesUnchangedContentAndNamesTheRunningEditor) {
    monitor->start();
    copy(text(QStringLiteral("old")));
    copy(text(QStringLiteral("new")));
    history.store->deleteItem(history.store->items().first());

    workspace.running = {editor, vesk};
    monitor->check(true);
    settle();
    EXPECT_EQ(texts(), (QStringList{"new", "old"}));
    EXPECT_EQ(history.store->items().first()->sourceAppBundleID(), QStringLiteral("dev.zuvidevozadode.vesk"));
}

TEST_F(PasteboardMonitorTest, AStoppedMonitorCapturesNothingUntilStartedAgain) {
    monitor->start();
    monitor->stop();
    copy(text(QStringLiteral("during the reset")));
    monitor->check(true);
    settle();
    EXPECT_TRUE(history.store->items().isEmpty());
    monitor->start();
    scheduler.advance(1s);
    settle();
    EXPECT_TRUE(history.store->items().isEmpty()) << "a clip copied while stopped is not taken later";
    copy(text(QStringLiteral("after")));
    EXPECT_EQ(texts(), QStringList{"after"});
}

// Tagging grows with the text, so items reach the store tagged (and typed by the colour rule) by the
// capture worker, with the tags the classifier gives and in the order of the copies.
TEST_F(PasteboardMonitorTest, ItemsReachTheStoreTaggedByTheCaptureWorker) {
    struct Arrival {
        QString text;
        std::optional<QString> tags;
        QString type;
    };
    QList<Arrival> arrivals;
    monitor = std::make_unique<PasteboardMonitor>(PasteboardMonitor::Dependencies{
        pasteboard, workspace, history.defaults, scheduler, history.images,
        [&](const ClipboardItemPtr& item) {
            arrivals.append({item->plainText().value_or(QString()), item->contentTagsRaw(), item->typeRaw()});
            history.store->add(item);
        }});
    monitor->start();
    const QString json = QStringLiteral("{\"list\": [") +
                         QStringLiteral("12345678901234567890,").repeated(5000) + QStringLiteral("0]}");
    const QStringList copies{json, QStringLiteral("ola@example.org"), QStringLiteral("#ff8800"),
                             QStringLiteral("plain words")};
    // All four changes are read before any item comes back.
    for (const QString& copied : copies) {
        pasteboard.setClip(text(copied));
        monitor->check(true);
    }
    settle();

    ASSERT_EQ(arrivals.size(), copies.size());
    for (qsizetype i = 0; i < copies.size(); ++i) {
        EXPECT_EQ(arrivals[i].text, copies[i]);
        EXPECT_EQ(arrivals[i].tags, ContentClassifier::tagsRaw(copies[i])) << i;
    }
    EXPECT_EQ(arrivals[0].tags, QStringLiteral("json"));
    EXPECT_EQ(arrivals[2].type, QStringLiteral("color"));
    EXPECT_EQ(texts(), (QStringList{"plain words", "#ff8800", "ola@example.org", json}));
}

// Writing an item back and capturing our own write never adds a second item.
TEST_F(PasteboardMonitorTest, PastingEveryKindBackOnlyMovesItsItemToTheTop) {
    Platform::FakeSyntheticKeyboard keyboard;
    PasteService paste(pasteboard, keyboard, scheduler, history.defaults, history.images);
    monitor->start();

    QImage image(5, 5, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30, 40));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", 0);

    Platform::PasteboardClip files;
    files.filePaths = {QStringLiteral("/tmp/one"), QStringLiteral("/tmp/two")};
    Platform::PasteboardClip picture;
    picture.png = png;
    Platform::PasteboardClip rich = text(QStringLiteral("bold words"));
    rich.rtf = QByteArray("{\\rtf1 {\\b bold} words}");
    const QList<Platform::PasteboardClip> clips{
        text(QStringLiteral("  spaced text \n")),
        rich,
        text(QStringLiteral("   https://example.org/path   ")),
        text(QStringLiteral("def f(x):\n    return x * 2\n\nprint(f(3))\n")),
        text(QStringLiteral("#ff8800")),
        files,
        picture,
    };
    for (const Platform::PasteboardClip& clip : clips)
        copy(clip);
    ASSERT_EQ(history.store->items().size(), clips.size());
    const QStringList kinds = [&] {
        QStringList result;
        for (const ClipboardItemPtr& item : history.store->items())
            result << item->typeRaw();
        return result;
    }();
    EXPECT_EQ(kinds, (QStringList{"image", "file", "color", "code", "url", "richText", "text"}));

    const QList<ClipboardItemPtr> items = history.store->items();
    for (const ClipboardItemPtr& item : items) {
        SCOPED_TRACE(item->typeRaw().toStdString());
        paste.copyToPasteboard(*item, false);
        scheduler.advance(300ms);
        settle();
        EXPECT_EQ(history.store->items().size(), clips.size());
        EXPECT_EQ(history.store->items().first()->id(), item->id());
    }
    EXPECT_EQ(history.imageFiles().size(), 1);
}

} // namespace
