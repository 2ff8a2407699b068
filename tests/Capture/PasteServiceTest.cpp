#include "CaptureTestSupport.h"

#include <Capture/FocusedInputLocator.h>
#include <Capture/PasteQueue.h>
#include <Capture/PasteService.h>
#include <Platform/Fakes/FakeAccessibilityTrust.h>
#include <Platform/Fakes/FakeFocusedElementLocator.h>
#include <Platform/Fakes/FakeGlobalKeyMonitor.h>
#include <Platform/Fakes/FakePasteboard.h>
#include <Platform/Fakes/FakeScheduler.h>
#include <Platform/Fakes/FakeSyntheticKeyboard.h>

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Write = Platform::FakePasteboard::Write;

namespace {

ClipboardItemPtr item(ItemType type, std::optional<QString> text,
                      std::optional<QByteArray> rich = std::nullopt,
                      std::optional<QString> image = std::nullopt) {
    NewClipboardItem content;
    content.type = type;
    content.plainText = std::move(text);
    content.richData = std::move(rich);
    content.imageFilename = std::move(image);
    content.dedupeKey = QStringLiteral("txt:x");
    return ClipboardItem::make(std::move(content));
}

// A real PNG, as capture stores it.
QByteArray pngBytes() {
    QImage image(6, 4, QImage::Format_ARGB32);
    image.fill(QColor(200, 40, 90, 180));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

class PasteServiceTest : public ::testing::Test {
protected:
    TemporaryHistory history;
    Platform::FakePasteboard pasteboard;
    Platform::FakeSyntheticKeyboard keyboard;
    Platform::FakeScheduler scheduler;
    PasteService paste{pasteboard, keyboard, scheduler, history.defaults, history.images};
};

TEST_F(PasteServiceTest, EachKindIsWrittenInItsOwnForm) {
    const QByteArray rtf("{\\rtf1 r}");
    const QByteArray png = pngBytes();
    ASSERT_TRUE(history.images.write(QStringLiteral("A.png"), png));

    paste.copyToPasteboard(*item(ItemType::richText, QStringLiteral("r"), rtf), false);
    paste.copyToPasteboard(*item(ItemType::richText, QStringLiteral("r"), rtf), true);
    paste.copyToPasteboard(*item(ItemType::text, std::nullopt), false);
    paste.copyToPasteboard(*item(ItemType::file, QStringLiteral("/a\n\n/b")), false);
    paste.copyToPasteboard(*item(ItemType::file, QStringLiteral("")), false);
    paste.copyToPasteboard(*item(ItemType::image, std::nullopt, std::nullopt, QStringLiteral("A.png")), true);

    const QList<Write>& writes = pasteboard.writes();
    ASSERT_EQ(writes.size(), 6);
    EXPECT_EQ(writes[0].kind, Write::Kind::RichText);
    EXPECT_EQ(writes[0].data, rtf);
    EXPECT_EQ(writes[1].kind, Write::Kind::String);
    EXPECT_EQ(writes[2].kind, Write::Kind::String);
    EXPECT_EQ(writes[2].text, QString());
    EXPECT_EQ(writes[3].kind, Write::Kind::FilePaths);
    EXPECT_EQ(writes[3].filePaths, (QStringList{"/a", "/b"}));
    EXPECT_EQ(writes[4].kind, Write::Kind::Clear) << "no empty file URL";
    EXPECT_EQ(writes[5].kind, Write::Kind::Png);
    EXPECT_EQ(writes[5].data, png) << "the stored bytes exactly";
}

TEST_F(PasteServiceTest, AMissingOrDamagedPictureIsNotPastedAndTheUserIsTold) {
    QStringList told;
    paste.setFailureReporter([&](const QString& message) { told << message; });
    const QByteArray png = pngBytes();
    QByteArray flipped = png;
    flipped[png.size() / 2] = char(flipped[png.size() / 2] ^ 0x10);
    const struct {
        const char* name;
        std::optional<QByteArray> file; // empty: no file
    } cases[] = {
        {"missing file", std::nullopt},
        {"empty file", QByteArray()},
        {"cut short", png.left(png.size() - 20)},
        {"a damaged byte", flipped},
        {"no PNG at all", QByteArray("GIF89a not a png")},
        {"trailing bytes after the end", png + "junk"},
    };
    pasteboard.writeString(QStringLiteral("copied last"));
    history.defaults.setValue(App::SettingsKeys::autoPaste, true);
    Platform::FakeGlobalKeyMonitor keys;
    PasteQueue queue{paste, keys, scheduler};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        told.clear();
        const QString name = QStringLiteral("%1.png").arg(QString::fromLatin1(c.name).replace(u' ', u'-'));
        if (c.file)
            ASSERT_TRUE(history.images.write(name, *c.file));
        const ClipboardItemPtr picture = item(ItemType::image, std::nullopt, std::nullopt, name);
        EXPECT_FALSE(paste.copyToPasteboard(*picture, false));
        // The queue and the multi-paste paste nothing for it either.
        queue.start({picture});
        queue.pasteAll({picture}, QStringLiteral("\n"));
        scheduler.advance(1s);
        EXPECT_EQ(pasteboard.writes().size(), 1) << "the clipboard keeps what it held";
        EXPECT_EQ(pasteboard.clip().string, QStringLiteral("copied last"));
        EXPECT_EQ(keyboard.pastesPosted, 0);
        EXPECT_EQ(told.size(), 3);
        EXPECT_TRUE(told.value(0).contains(QStringLiteral("missing or damaged")))
            << told.value(0).toStdString();
        queue.stop();
    }
    EXPECT_TRUE(PasteService::isIntactPng(png));
}

TEST_F(PasteServiceTest, AutomaticPastePostsOneCtrlVAfter150msOnlyWhenOn) {
    paste.autoPasteIfEnabled();
    scheduler.advance(149ms);
    EXPECT_EQ(keyboard.pastesPosted, 0);
    scheduler.advance(1ms);
    EXPECT_EQ(keyboard.pastesPosted, 1);

    history.defaults.setValue(App::SettingsKeys::autoPaste, false);
    paste.autoPasteIfEnabled();
    scheduler.advance(1s);
    EXPECT_EQ(keyboard.pastesPosted, 1);
}

class PasteQueueTest : public PasteServiceTest {
protected:
    PasteQueueTest() { history.defaults.setValue(App::SettingsKeys::autoPaste, false); }
    QString clipboardText() const { return pasteboard.clip().string.value_or(QString()); }

    Platform::FakeGlobalKeyMonitor keys;
    PasteQueue queue{paste, keys, scheduler};
    QList<ClipboardItemPtr> three{item(ItemType::text, QStringLiteral("one")),
                                  item(ItemType::text, QStringLiteral("two")),
                                  item(ItemType::text, QStringLiteral("three"))};
};

TEST_F(PasteQueueTest, EachCtrlVReleasePlacesTheNextItemAndTheLastOneEndsTheRun) {
    queue.start(three);
    EXPECT_EQ(clipboardText(), "one");
    EXPECT_TRUE(keys.isRunning());

    keys.injectPaste();
    scheduler.advance(100ms);
    EXPECT_EQ(clipboardText(), "one") << "ignored within 0.55 s of the start";
    scheduler.advance(500ms);
    keys.injectPaste();
    EXPECT_EQ(queue.currentIndex(), 1);
    scheduler.advance(49ms);
    EXPECT_EQ(clipboardText(), "one");
    scheduler.advance(1ms);
    EXPECT_EQ(clipboardText(), "two");

    keys.injectPaste();
    EXPECT_EQ(queue.currentIndex(), 1) << "ignored within 0.2 s of placing";
    scheduler.advance(200ms);
    keys.inject({0, 0x76, false, false});
    EXPECT_EQ(queue.currentIndex(), 1) << "Ctrl let go before V";
    keys.injectPaste();
    scheduler.advance(50ms);
    EXPECT_EQ(clipboardText(), "three");

    scheduler.advance(200ms);
    keys.injectPaste();
    EXPECT_FALSE(queue.isActive());
    EXPECT_FALSE(keys.isRunning());
    EXPECT_TRUE(queue.items().isEmpty());
}

TEST_F(PasteQueueTest, AutomaticPasteOfTheFirstItemFallsInsideTheQuietTime) {
    history.defaults.setValue(App::SettingsKeys::autoPaste, true);
    queue.start(three);
    scheduler.advance(150ms);
    EXPECT_EQ(keyboard.pastesPosted, 1);
    keys.injectPaste(); // the posted Ctrl+V's own release
    scheduler.advance(100ms);
    EXPECT_EQ(queue.currentIndex(), 0);
    // The automatic paste used the first item: the user's first Ctrl+V must get the second one.
    scheduler.advance(300ms);
    scheduler.advance(50ms);
    EXPECT_EQ(clipboardText(), "two");
    EXPECT_EQ(keyboard.pastesPosted, 1) << "later items wait for the user's Ctrl+V";
    scheduler.advance(200ms);
    keys.injectPaste();
    scheduler.advance(50ms);
    EXPECT_EQ(clipboardText(), "three");
}

TEST_F(PasteQueueTest, AutomaticPasteOfASingleItemEndsTheRun) {
    history.defaults.setValue(App::SettingsKeys::autoPaste, true);
    queue.start({three.first()});
    scheduler.advance(600ms);
    EXPECT_FALSE(queue.isActive());
    EXPECT_FALSE(keys.isRunning());
}

TEST_F(PasteQueueTest, ANewRunStopsTheOldOne) {
    queue.start(three);
    queue.start({item(ItemType::text, QStringLiteral("alone"))});
    EXPECT_EQ(queue.items().size(), 1);
    scheduler.advance(1s);
    keys.injectPaste();
    EXPECT_FALSE(queue.isActive());
    queue.start({});
    EXPECT_FALSE(queue.isActive());
    EXPECT_FALSE(keys.isRunning());
}

TEST_F(PasteQueueTest, AStoppedRunsTimersDoNotReachTheNextRun) {
    // A run with the automatic paste arms its end-of-quiet-time step; the user stops it and starts
    // another without the automatic paste.
    history.defaults.setValue(App::SettingsKeys::autoPaste, true);
    queue.start(three);
    scheduler.advance(100ms);
    queue.stop();
    history.defaults.setValue(App::SettingsKeys::autoPaste, false);
    const QList<ClipboardItemPtr> next = {item(ItemType::text, QStringLiteral("first")),
                                          item(ItemType::text, QStringLiteral("second"))};
    queue.start(next);
    scheduler.advance(1s);
    EXPECT_EQ(queue.currentIndex(), 0) << "nothing was pasted in the new run";
    EXPECT_EQ(clipboardText(), "first");
    // The same for a placing step still due when its run ends.
    scheduler.advance(1s);
    keys.injectPaste();
    queue.stop();
    queue.start(three);
    scheduler.advance(1s);
    EXPECT_EQ(queue.currentIndex(), 0);
    EXPECT_EQ(clipboardText(), "one");
}

TEST_F(PasteQueueTest, PasteAllJoinsTextsUnlessAPictureOrFileIsAmongThem) {
    queue.pasteAll(three, QStringLiteral("\n"));
    EXPECT_EQ(clipboardText(), "one\ntwo\nthree");
    ASSERT_TRUE(history.images.write(QStringLiteral("B.png"), QByteArray("png")));
    queue.pasteAll({three[0], item(ItemType::image, std::nullopt, std::nullopt, QStringLiteral("B.png"))},
                   QStringLiteral("\n"));
    EXPECT_EQ(clipboardText(), "one");
    EXPECT_EQ(pasteboard.writes().last().kind, Write::Kind::String);
}

TEST(FocusedInputLocatorTest, AnswersOnlyWithTrustAndAHeight) {
    Platform::FakeFocusedElementLocator platform;
    Platform::FakeAccessibilityTrust trust;
    FocusedInputLocator locator(platform, trust);
    platform.frame = QRect(100, 200, 2, 18);
    trust.trusted = false;
    EXPECT_EQ(locator.focusedInputFrame().result(), std::nullopt);
    trust.trusted = true;
    EXPECT_EQ(locator.focusedInputFrame().result(), QRect(100, 200, 2, 18));
    // A caret is a line: no width, but a height.
    platform.frame = QRect(100, 200, 0, 18);
    EXPECT_EQ(locator.focusedInputFrame().result(), QRect(100, 200, 0, 18));
    platform.frame = QRect(100, 200, 0, 0);
    EXPECT_EQ(locator.focusedInputFrame().result(), std::nullopt);
    platform.frame = QRect(100, 200, 8, 0);
    EXPECT_EQ(locator.focusedInputFrame().result(), std::nullopt);
}

} // namespace
