#include <Hotkeys/Hotkeys.h>
#include <Hotkeys/X11/X11HotkeyBackend.h>
#include <Hotkeys/X11/X11Keyboard.h>

#include <QMenu>
#include <QProcess>
#include <QTest>
#include <QVBoxLayout>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>

using namespace Hotkeys;
using ::testing::HasSubstr;

namespace {

const Shortcut kShowHistory(Key::v, ModifierFlag::Shift | ModifierFlag::Command);
constexpr quint32 kXKeyV = 55;
constexpr uint16_t kShiftSuper = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4;

void xdotool(const QStringList& arguments) {
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), arguments), 0)
        << arguments.join(' ').toStdString();
}

void setxkbmap(const QStringList& arguments) {
    ASSERT_EQ(QProcess::execute(QStringLiteral("setxkbmap"), arguments), 0)
        << arguments.join(' ').toStdString();
}

// The lock modifiers currently on (Lock, and Num Lock's Mod2 on the default map).
uint16_t lockState() {
    xcb_connection_t* connection = X11Keyboard::connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_query_pointer_reply_t* reply =
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr);
    const uint16_t mask = reply ? reply->mask : 0;
    std::free(reply);
    return mask & (XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2);
}

// Turns a lock key on for the scope and off again, whatever the test does.
class LockKeyOn {
public:
    LockKeyOn(const char* keysym, uint16_t mask) : m_keysym(keysym) {
        xdotool({"key", m_keysym});
        EXPECT_TRUE(QTest::qWaitFor([mask] { return (lockState() & mask) != 0; }));
    }
    ~LockKeyOn() { QProcess::execute(QStringLiteral("xdotool"), {"key", m_keysym}); }

private:
    QString m_keysym;
};

// Another program holding a key grab on the root window.
class OtherGrabber {
public:
    OtherGrabber(xcb_keycode_t keycode, uint16_t modifiers) {
        m_process.start(QStringLiteral(QS_GRAB_HELPER),
                        {QString::number(keycode), QString::number(modifiers)});
        m_process.waitForReadyRead(5000);
        m_grabbed = m_process.readAllStandardOutput().startsWith("grabbed");
    }
    ~OtherGrabber() { quit(); }
    bool grabbed() const { return m_grabbed; }
    void quit() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.closeWriteChannel();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
    bool m_grabbed = false;
};

class HotkeysX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(X11Keyboard::connection()) << "needs the X11 test session";
        setStorage(std::make_shared<MemorySettingsStorage>());
        GlobalHotkeys::setBackend(X11HotkeyBackend::create());
    }

    void TearDown() override {
        removeAllHandlers();
        disable(used);
        GlobalHotkeys::setBackend(nullptr);
    }

    Name name(const QString& rawValue, std::optional<Shortcut> defaultShortcut) {
        Name declared(rawValue, defaultShortcut);
        used.append(declared);
        return declared;
    }

    // Counts the presses and releases of a name.
    void count(const Name& counted) {
        onKeyDown(counted, [this] { ++downs; });
        onKeyUp(counted, [this] { ++ups; });
    }

    bool waitForUps(int expected) {
        return QTest::qWaitFor([&] { return ups >= expected; }, 3000) && ups == expected;
    }

    QList<Name> used;
    int downs = 0;
    int ups = 0;
};

} // namespace

TEST_F(HotkeysX11Test, ShortcutFiresOncePerPress) {
    const Name showHistory = name("showHistory", kShowHistory);
    count(showHistory);
    EXPECT_TRUE(isEnabled(showHistory));
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitForUps(1));
    EXPECT_EQ(downs, 1);
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitForUps(2));
    EXPECT_EQ(downs, 2);
}

TEST_F(HotkeysX11Test, LockKeysDoNotDisableTheShortcut) {
    const Name showHistory = name("showHistory", kShowHistory);
    count(showHistory);
    {
        LockKeyOn numLock("Num_Lock", XCB_MOD_MASK_2);
        xdotool({"key", "shift+super+v"});
        ASSERT_TRUE(waitForUps(1));
        LockKeyOn capsLock("Caps_Lock", XCB_MOD_MASK_LOCK);
        xdotool({"key", "shift+super+v"});
        ASSERT_TRUE(waitForUps(2));
    }
    EXPECT_EQ(downs, 2);
    EXPECT_TRUE(QTest::qWaitFor([] { return lockState() == 0; }));
}

TEST_F(HotkeysX11Test, HoldingTheKeyGivesOneKeyUp) {
    const Name showHistory = name("showHistory", kShowHistory);
    count(showHistory);
    xdotool({"keydown", "shift+super+v"});
    QTest::qWait(1200); // past the auto-repeat delay
    // Modifiers are let go first: the release still ends the press.
    xdotool({"keyup", "shift+super+v"});
    ASSERT_TRUE(waitForUps(1));
    QTest::qWait(100);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(downs, 1);
}

TEST_F(HotkeysX11Test, ShortcutHeldByAnotherProgramIsReportedAndRetried) {
    OtherGrabber other(kXKeyV, kShiftSuper);
    ASSERT_TRUE(other.grabbed());
    EXPECT_TRUE(GlobalHotkeys::isUsedBySystem(kShowHistory));

    testing::internal::CaptureStdout();
    const Name showHistory = name("showHistory", kShowHistory);
    count(showHistory); // each new registration retries, and is refused again
    EXPECT_THAT(testing::internal::GetCapturedStdout(), HasSubstr("Error registering hotkey ⇧⌘V: 10\n"));
    EXPECT_FALSE(isEnabled(showHistory));

    other.quit();
    // The keyboard mapping changes (here: the same layout loaded again): the grab is retried.
    setxkbmap({"-layout", "us"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return isEnabled(showHistory); }, 3000));
    EXPECT_FALSE(GlobalHotkeys::isUsedBySystem(kShowHistory)); // ours now, and never probed
    xdotool({"key", "shift+super+v"});
    EXPECT_TRUE(waitForUps(1));
}

TEST_F(HotkeysX11Test, ProbingAFreeShortcutLeavesItFree) {
    const Shortcut free(Key::k, ModifierFlag::Control | ModifierFlag::Option | ModifierFlag::Command);
    EXPECT_FALSE(GlobalHotkeys::isUsedBySystem(free));
    OtherGrabber other(45, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4);
    EXPECT_TRUE(other.grabbed());
}

TEST_F(HotkeysX11Test, KeyNamesFollowTheServerLayout) {
    const Shortcut commandY(Key::y, ModifierFlag::Command);
    EXPECT_EQ(commandY.presentableDescription(), QStringLiteral("⌘Y"));
    setxkbmap({"-layout", "de"});
    EXPECT_EQ(commandY.presentableDescription(), QStringLiteral("⌘Z"));
    setxkbmap({"-layout", "ru,us"});
    EXPECT_EQ(commandY.presentableDescription(), QStringLiteral("⌘Y"));
    setxkbmap({"-layout", "us"});
}

TEST_F(HotkeysX11Test, OpenMenuTakesTheShortcutItself) {
    const Name showHistory = name("showHistory", kShowHistory);
    count(showHistory);
    QMenu menu;
    menu.addAction(QStringLiteral("Item"));
    menu.popup(QPoint(100, 100));
    ASSERT_TRUE(QTest::qWaitFor([] { return isMenuOpen(); }));
    EXPECT_FALSE(isEnabled(showHistory));
    QTest::qWait(200); // the menu grabs the keyboard once mapped
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitForUps(1));
    EXPECT_EQ(downs, 1);
    menu.hide();
    EXPECT_TRUE(isEnabled(showHistory));
}

TEST_F(HotkeysX11Test, RecorderTakesRealKeyPressesAndRegistersAtOnce) {
    const Name recorded = name("recorded", std::nullopt);
    QWidget window;
    auto* recorder = new RecorderControl(recorded);
    (new QVBoxLayout(&window))->addWidget(recorder);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::mouseClick(recorder, Qt::LeftButton);
    ASSERT_TRUE(recorder->isRecording());

    xdotool({"key", "ctrl+alt+k"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return getShortcut(recorded).has_value(); }, 3000));
    const Shortcut controlOptionK(Key::k, ModifierFlag::Control | ModifierFlag::Option);
    EXPECT_EQ(getShortcut(recorded), controlOptionK);
    EXPECT_EQ(recorder->text(), QStringLiteral("⌃⌥K"));
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_TRUE(isEnabled(recorded));

    count(recorded);
    xdotool({"key", "ctrl+alt+k"});
    EXPECT_TRUE(waitForUps(1));
}

TEST_F(HotkeysX11Test, ShortcutsX11CannotExpressAreRefused) {
    testing::internal::CaptureStdout();
    const Name withFn = name("withFn", Shortcut(Key::f1, ModifierFlag::Function | ModifierFlag::Command));
    const Name unknownKey = name("unknownKey", Shortcut(500, CarbonModifier::command));
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_THAT(output, HasSubstr("Error registering hotkey ⌘\U0001F310\uFE0EF1: 2\n"));
    EXPECT_THAT(output, HasSubstr("Error registering hotkey ⌘\uFFFD: 2\n"));
    EXPECT_FALSE(isEnabled(withFn));
    EXPECT_FALSE(isEnabled(unknownKey));
}
