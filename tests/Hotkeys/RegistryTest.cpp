#include "HotkeysFixture.h"

#include <QJsonArray>
#include <QMenu>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Hotkeys;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

const Shortcut kShowHistory(Key::v, ModifierFlag::Shift | ModifierFlag::Command);
const Shortcut kPastePlain(Key::v, ModifierFlag::Option | ModifierFlag::Shift | ModifierFlag::Command);
const Shortcut kCtrlAltK(Key::k, ModifierFlag::Control | ModifierFlag::Option);
constexpr quint32 kXKeyV = 55;

using HotkeysRegistryTest = HotkeysFixture;

} // namespace

TEST_F(HotkeysRegistryTest, DeclaringStoresDefaultOnceAndRegistersIt) {
    const Name showHistory = name("showHistory", kShowHistory);
    EXPECT_EQ(storage->value("Hotkeys_showHistory").toString(),
              R"({"carbonKeyCode":9,"carbonModifiers":768})");
    EXPECT_TRUE(backend->isGrabbed(kShowHistory));
    EXPECT_THAT(changed, ElementsAre("showHistory"));

    changed.clear();
    name("showHistory", kPastePlain);
    EXPECT_TRUE(changed.isEmpty());
    EXPECT_EQ(getShortcut(showHistory), kShowHistory);
}

TEST_F(HotkeysRegistryTest, StoredFalseKeepsDefaultAway) {
    storage->setValue("Hotkeys_pastePlainText", false);
    const Name pastePlainText = name("pastePlainText", kPastePlain);
    EXPECT_FALSE(getShortcut(pastePlainText));
    EXPECT_TRUE(backend->grabs.isEmpty());
    EXPECT_TRUE(changed.isEmpty());
    EXPECT_FALSE(isEnabled(pastePlainText));
}

TEST_F(HotkeysRegistryTest, ReadsEachStorageState) {
    struct Case {
        const char* label;
        QJsonValue stored;
        std::optional<Shortcut> expected;
    };
    const Case cases[] = {
        {"absent", QJsonValue::Undefined, std::nullopt},
        {"shortcut", QString(R"({"carbonKeyCode":40,"carbonModifiers":6144})"), kCtrlAltK},
        {"cleared", false, std::nullopt},
        {"undecodable text", QString("{broken"), std::nullopt},
        {"object without modifiers", QString(R"({"carbonKeyCode":40})"), std::nullopt},
        {"number", 0, std::nullopt},
        {"list", QJsonArray({40, 6144}), std::nullopt},
    };
    const Name entry = name("entry");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        if (c.stored.isUndefined())
            storage->remove("Hotkeys_entry");
        else
            storage->setValue("Hotkeys_entry", c.stored);
        EXPECT_EQ(getShortcut(entry), c.expected);
        EXPECT_EQ(entry.shortcut(), c.expected);
    }
}

TEST_F(HotkeysRegistryTest, ClearingFollowsTheNamesDefault) {
    const Name withDefault = name("withDefault", kShowHistory);
    const Name withoutDefault = name("withoutDefault");
    withoutDefault.setShortcut(kCtrlAltK);
    changed.clear();

    setShortcut(std::nullopt, withDefault);
    EXPECT_EQ(storage->value("Hotkeys_withDefault"), QJsonValue(false));
    EXPECT_FALSE(backend->isGrabbed(kShowHistory));

    setShortcut(std::nullopt, withoutDefault);
    EXPECT_TRUE(storage->value("Hotkeys_withoutDefault").isUndefined());
    EXPECT_FALSE(backend->isGrabbed(kCtrlAltK));
    EXPECT_THAT(changed, ElementsAre("withDefault", "withoutDefault"));

    // Nothing decodable stored: nothing changes, nothing is announced.
    changed.clear();
    storage->setValue("Hotkeys_withoutDefault", QString("garbage"));
    setShortcut(std::nullopt, withDefault);
    setShortcut(std::nullopt, withoutDefault);
    EXPECT_TRUE(changed.isEmpty());
    EXPECT_EQ(storage->value("Hotkeys_withoutDefault").toString(), "garbage");
}

TEST_F(HotkeysRegistryTest, StoringTheSameShortcutGrabsItAgain) {
    const Name showHistory = name("showHistory", kShowHistory);
    const qsizetype grabsBefore = backend->grabIds.size();
    changed.clear();
    setShortcut(kShowHistory, showHistory);
    EXPECT_EQ(backend->grabIds.size(), grabsBefore + 1);
    EXPECT_TRUE(backend->isGrabbed(kShowHistory));
    EXPECT_THAT(changed, ElementsAre("showHistory"));
}

TEST_F(HotkeysRegistryTest, ResetRestoresDefaultsAndResetAllRemovesStoredShortcuts) {
    const Name showHistory = name("showHistory", kShowHistory);
    setShortcut(std::nullopt, showHistory);
    reset({showHistory});
    EXPECT_EQ(getShortcut(showHistory), kShowHistory);
    EXPECT_TRUE(backend->isGrabbed(kShowHistory));

    storage->setValue("Hotkeys_cleared", false);
    storage->setValue("Hotkeys_broken", QString("{"));
    storage->setValue("unrelated", QString(kCtrlAltK.toJson()));
    resetAll();
    EXPECT_TRUE(storage->value("Hotkeys_showHistory").isUndefined());
    EXPECT_FALSE(backend->isGrabbed(kShowHistory));
    EXPECT_EQ(storage->value("Hotkeys_cleared"), QJsonValue(false));
    EXPECT_EQ(storage->value("Hotkeys_broken").toString(), "{");
    EXPECT_TRUE(storage->value("unrelated").isString());
}

TEST_F(HotkeysRegistryTest, ActionsRunInOrderForTheirDirectionOnly) {
    const Name showHistory = name("showHistory", kShowHistory);
    QStringList calls;
    onKeyUp(showHistory, [&] { calls << "up 1"; });
    onKeyUp(showHistory, [&] { calls << "up 2"; });
    onKeyDown(showHistory, [&] { calls << "down"; });
    backend->press(kShowHistory);
    EXPECT_THAT(calls, ElementsAre("down"));
    backend->release(kShowHistory);
    EXPECT_THAT(calls, ElementsAre("down", "up 1", "up 2"));
}

TEST_F(HotkeysRegistryTest, NamesWithTheSameRawValueShareEntryAndActions) {
    const Name first = name("shared", kShowHistory);
    const Name second = name("shared", kPastePlain);
    EXPECT_EQ(first, second);
    int calls = 0;
    onKeyUp(first, [&] { ++calls; });
    onKeyUp(second, [&] { ++calls; });
    backend->tap(kShowHistory);
    EXPECT_EQ(calls, 2);
}

TEST_F(HotkeysRegistryTest, DispatchReadsTheStoredShortcutAtEachPress) {
    const Name showHistory = name("showHistory", kShowHistory);
    int calls = 0;
    onKeyUp(showHistory, [&] { ++calls; });
    // Changed behind the library's back: the old hot key no longer fires the name.
    storage->setValue("Hotkeys_showHistory", QString(kCtrlAltK.toJson()));
    backend->tap(kShowHistory);
    EXPECT_EQ(calls, 0);
}

TEST_F(HotkeysRegistryTest, PausedWhileAnyRecorderRecords) {
    const Name showHistory = name("showHistory", kShowHistory);
    int calls = 0;
    onKeyUp(showHistory, [&] { ++calls; });
    beginRecording();
    beginRecording();
    endRecording();
    EXPECT_TRUE(isPaused());
    backend->tap(kShowHistory);
    EXPECT_EQ(calls, 0);
    endRecording();
    endRecording(); // an extra end does not unbalance the count
    EXPECT_FALSE(isPaused());
    backend->tap(kShowHistory);
    EXPECT_EQ(calls, 1);
}

TEST_F(HotkeysRegistryTest, StreamKeepsHotKeyAfterHandlersAreRemoved) {
    const Name showHistory = name("showHistory", kShowHistory);
    onKeyUp(showHistory, [] {});
    QList<EventType> received;
    auto stream = events(showHistory);
    QObject::connect(stream.get(), &EventStream::event, [&](EventType type) { received << type; });
    removeHandler(showHistory);
    EXPECT_TRUE(backend->isGrabbed(kShowHistory));
    backend->tap(kShowHistory);
    EXPECT_THAT(received, ElementsAre(EventType::keyDown, EventType::keyUp));

    stream.reset();
    EXPECT_FALSE(backend->isGrabbed(kShowHistory));
}

TEST_F(HotkeysRegistryTest, FilteredStreamSeesOneKind) {
    const Name showHistory = name("showHistory", kShowHistory);
    QList<EventType> received;
    auto stream = events(EventType::keyUp, showHistory);
    QObject::connect(stream.get(), &EventStream::event, [&](EventType type) { received << type; });
    backend->tap(kShowHistory);
    backend->tap(kShowHistory);
    EXPECT_THAT(received, ElementsAre(EventType::keyUp, EventType::keyUp));
}

TEST_F(HotkeysRegistryTest, WithdrawingOneNameKeepsAnotherNamesIdenticalHotKey) {
    const Name first = name("first", kShowHistory);
    const Name second = name("second", kShowHistory);
    int secondCalls = 0;
    onKeyUp(second, [&] { ++secondCalls; });

    setShortcut(kCtrlAltK, first);
    EXPECT_TRUE(backend->isGrabbed(kShowHistory));
    EXPECT_TRUE(isEnabled(second));
    backend->tap(kShowHistory);
    EXPECT_EQ(secondCalls, 1);

    disable({second});
    EXPECT_FALSE(backend->isGrabbed(kShowHistory));
}

TEST_F(HotkeysRegistryTest, RefusedGrabIsReportedNotEnabledAndRetried) {
    backend->refused.insert(kShowHistory);
    testing::internal::CaptureStdout();
    const Name showHistory = name("showHistory", kShowHistory);
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_THAT(output, HasSubstr("Error registering hotkey ⇧⌘V: 10\n"));
    EXPECT_FALSE(isEnabled(showHistory));

    // The other program lets go; a keyboard mapping change retries the grab.
    backend->refused.clear();
    backend->changeMapping();
    EXPECT_TRUE(isEnabled(showHistory));
    EXPECT_TRUE(backend->isGrabbed(kShowHistory));

    // Refused again after a change of shortcut, then stored anew: retried.
    backend->refused.insert(kCtrlAltK);
    testing::internal::CaptureStdout();
    setShortcut(kCtrlAltK, showHistory);
    EXPECT_THAT(testing::internal::GetCapturedStdout(), HasSubstr("Error registering hotkey ⌃⌥K: 10\n"));
    EXPECT_FALSE(isEnabled(showHistory));
    backend->refused.clear();
    setShortcut(kCtrlAltK, showHistory);
    EXPECT_TRUE(isEnabled(showHistory));
}

TEST_F(HotkeysRegistryTest, MappingChangeRedoesLiveGrabsOnlyWhenStale) {
    name("showHistory", kShowHistory);
    const qsizetype grabs = backend->grabIds.size();
    backend->changeMapping(false);
    EXPECT_EQ(backend->grabIds.size(), grabs);
    backend->changeMapping(true);
    EXPECT_EQ(backend->grabIds.size(), grabs + 1);
    EXPECT_TRUE(backend->isGrabbed(kShowHistory));
}

TEST_F(HotkeysRegistryTest, IdsCountUpAlsoAfterRefusals) {
    backend->refused.insert(kPastePlain);
    testing::internal::CaptureStdout();
    name("one", kShowHistory);
    name("two", kPastePlain);
    name("three", kCtrlAltK);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(backend->grabIds.size(), 3);
    EXPECT_EQ(backend->grabIds[1], backend->grabIds[0] + 1);
    EXPECT_EQ(backend->grabIds[2], backend->grabIds[0] + 2);
}

TEST_F(HotkeysRegistryTest, DisabledShortcutsAreNotGrabbedEvenWhenRegistered) {
    const Name showHistory = name("showHistory", kShowHistory);
    int calls = 0;
    onKeyUp(showHistory, [&] { ++calls; });
    setEnabled(false);
    EXPECT_FALSE(backend->isGrabbed(kShowHistory));
    EXPECT_FALSE(isEnabled(showHistory));

    const Name other = name("other", kCtrlAltK);
    EXPECT_FALSE(backend->isGrabbed(kCtrlAltK));

    setEnabled(true);
    EXPECT_TRUE(backend->isGrabbed(kShowHistory));
    EXPECT_TRUE(backend->isGrabbed(kCtrlAltK));
    EXPECT_TRUE(isEnabled(other));
    EXPECT_EQ(calls, 0);
}

TEST_F(HotkeysRegistryTest, OpenMenuReleasesGrabsAndTakesMatchingKeysItself) {
    const Name showHistory = name("showHistory", kShowHistory);
    int downs = 0;
    int ups = 0;
    onKeyDown(showHistory, [&] { ++downs; });
    onKeyUp(showHistory, [&] { ++ups; });

    QMenu menu;
    menu.addAction("Item");
    menu.popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitFor([] { return isMenuOpen(); }));
    EXPECT_FALSE(backend->isGrabbed(kShowHistory));
    const Name late = name("late", kCtrlAltK);
    EXPECT_FALSE(backend->isGrabbed(kCtrlAltK));

    QKeyEvent press(QEvent::KeyPress, Qt::Key_V, Qt::ShiftModifier | Qt::MetaModifier, kXKeyV, 0, 0);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_V, Qt::ShiftModifier | Qt::MetaModifier, kXKeyV, 0, 0, {},
                     true);
    // Modifiers already let go: the release still belongs to the press of the same key.
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_V, Qt::NoModifier, kXKeyV, 0, 0);
    EXPECT_TRUE(QCoreApplication::sendEvent(&menu, &press));
    EXPECT_TRUE(QCoreApplication::sendEvent(&menu, &repeat));
    EXPECT_TRUE(QCoreApplication::sendEvent(&menu, &release));
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);

    menu.hide();
    EXPECT_FALSE(isMenuOpen());
    EXPECT_TRUE(backend->isGrabbed(kShowHistory));
    EXPECT_TRUE(backend->isGrabbed(kCtrlAltK));
}

TEST_F(HotkeysRegistryTest, SystemCheckNeverProbesOurOwnHotKeys) {
    name("showHistory", kShowHistory);
    backend->takenElsewhere.insert(kCtrlAltK);
    EXPECT_FALSE(GlobalHotkeys::isUsedBySystem(kShowHistory));
    EXPECT_TRUE(GlobalHotkeys::isUsedBySystem(kCtrlAltK));
    EXPECT_THAT(backend->probed, ElementsAre(kCtrlAltK));
}
