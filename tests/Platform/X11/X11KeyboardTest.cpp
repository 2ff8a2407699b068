// Synthetic Ctrl+V, the global key monitor and the trust check against the real server, with a test
// window of our own receiving the keys and xdotool typing like a user; and every facility without a
// server.
#include "Platform/X11/X11AccessibilityTrust.h"
#include "Platform/X11/X11FocusedElementLocator.h"
#include "Platform/X11/X11GlobalKeyMonitor.h"
#include "Platform/X11/X11Pasteboard.h"
#include "Platform/X11/X11SyntheticKeyboard.h"
#include "Platform/X11/X11Workspace.h"
#include "TestSession.h"

#include <gtest/gtest.h>

#include <xkbcommon/xkbcommon-keysyms.h>

using Platform::KeyRelease;
using TestSession::Child;

namespace {

class X11KeyboardTest : public ::testing::Test {
protected:
    // A test window in front, with its text field focused.
    void openWindow() {
        window.start(QStringLiteral(QS_TEST_WINDOW), {"--class", "paste-target,PasteTarget"});
        const auto id = window.waitForLine(QStringLiteral("window "));
        ASSERT_TRUE(id.has_value());
        ASSERT_TRUE(TestSession::waitUntil([&] {
            const auto front = workspace.frontmostApplication();
            return front && front->window == id->toUInt();
        }));
        ASSERT_TRUE(TestSession::waitForInputFocus(id->toUInt()));
    }

    static void xdotool(const QStringList& arguments) {
        Child tool(QStringLiteral("xdotool"), arguments);
        ASSERT_TRUE(tool.waitForExit());
    }

    // Collects the releases the monitor reports until `count` arrived.
    std::vector<KeyRelease> releasesAfter(const QStringList& xdotoolArguments, std::size_t count) {
        releases.clear();
        xdotool(xdotoolArguments);
        TestSession::waitUntil([&] { return releases.size() >= count; });
        return releases;
    }

    Platform::X11::X11Workspace workspace;
    Platform::X11::X11GlobalKeyMonitor monitor;
    Child window;
    std::vector<KeyRelease> releases;
};

TEST_F(X11KeyboardTest, SyntheticPasteTypesCtrlVIntoTheFocusedWindow) {
    Platform::X11::X11Pasteboard pasteboard;
    ASSERT_NO_FATAL_FAILURE(openWindow());
    pasteboard.writeString(QStringLiteral("pasted once"));

    Platform::X11::X11SyntheticKeyboard keyboard;
    ASSERT_TRUE(keyboard.isValid());
    ASSERT_TRUE(keyboard.postPaste());
    EXPECT_EQ(window.waitForLine(QStringLiteral("text ")), QStringLiteral("pasted once"));
}

TEST_F(X11KeyboardTest, SyntheticPasteReleasesModifiersStillHeld) {
    Platform::X11::X11Pasteboard pasteboard;
    ASSERT_NO_FATAL_FAILURE(openWindow());
    pasteboard.writeString(QStringLiteral("despite shift and alt"));
    // The user still holds the hot key's modifiers; Ctrl+Shift+Alt+V would not paste.
    xdotool({"keydown", "shift", "keydown", "alt"});

    Platform::X11::X11SyntheticKeyboard keyboard;
    ASSERT_TRUE(keyboard.postPaste());
    EXPECT_EQ(window.waitForLine(QStringLiteral("text ")), QStringLiteral("despite shift and alt"));
    xdotool({"keyup", "shift", "keyup", "alt"});
}

TEST_F(X11KeyboardTest, MonitorReportsCtrlVReleases) {
    ASSERT_TRUE(monitor.start([this](const KeyRelease& release) { releases.push_back(release); }));
    EXPECT_TRUE(monitor.isRunning());

    // Ctrl+V as people type it: V released while Ctrl is held, then Ctrl (xdotool may report the
    // release of Ctrl twice).
    auto seen = releasesAfter({"keydown", "ctrl", "keydown", "v", "keyup", "v", "keyup", "ctrl"}, 2);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_TRUE(seen[0].isPasteChord);
    EXPECT_EQ(seen[0].keysym, static_cast<std::uint32_t>(XKB_KEY_v));
    EXPECT_TRUE(seen[0].controlHeld);
    EXPECT_FALSE(seen[1].isPasteChord);

    // Extra modifiers do not matter.
    seen = releasesAfter({"keydown", "ctrl", "keydown", "shift", "keydown", "v", "keyup", "v", "keyup",
                          "shift", "keyup", "ctrl"},
                         3);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_TRUE(seen[0].isPasteChord);

    // V alone is not a paste, nor is a V released after Ctrl (which is also what "xdotool key ctrl+v"
    // does: it releases the keys in the order it pressed them).
    seen = releasesAfter({"key", "v"}, 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_FALSE(seen[0].isPasteChord);
    seen = releasesAfter({"key", "ctrl+v"}, 3);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.back().keysym, static_cast<std::uint32_t>(XKB_KEY_v));
    EXPECT_FALSE(seen.back().isPasteChord);
    EXPECT_FALSE(seen.back().controlHeld);

    monitor.stop();
    EXPECT_FALSE(monitor.isRunning());
    releases.clear();
    xdotool({"key", "ctrl+v"});
    TestSession::waitUntil([] { return false; }, 200);
    EXPECT_TRUE(releases.empty());
}

TEST_F(X11KeyboardTest, MonitorCountsACtrlHeldBeforeItStarted) {
    xdotool({"keydown", "ctrl"});
    ASSERT_TRUE(monitor.start([this](const KeyRelease& release) { releases.push_back(release); }));
    const auto seen = releasesAfter({"key", "v"}, 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].isPasteChord);
    xdotool({"keyup", "ctrl"});
}

TEST_F(X11KeyboardTest, HandlerMayStopTheMonitor) {
    int calls = 0;
    ASSERT_TRUE(monitor.start([&](const KeyRelease&) {
        ++calls;
        monitor.stop();
    }));
    xdotool({"key", "a", "key", "b"});
    TestSession::waitUntil([] { return false; }, 200);
    EXPECT_EQ(calls, 1);
}

TEST(X11AccessibilityTrust, AnX11SessionWithXTestIsTrusted) {
    EXPECT_TRUE(Platform::X11::X11AccessibilityTrust().isTrusted());
}

} // namespace

namespace {

// Every facility answers "no" without an X server (a pure Wayland session), and none blocks.
TEST(X11WithoutAServer, EveryFacilityDeclines) {
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":999");
    EXPECT_FALSE(Platform::X11::X11AccessibilityTrust().isTrusted());
    Platform::X11::X11SyntheticKeyboard keyboard;
    EXPECT_FALSE(keyboard.postPaste());
    Platform::X11::X11GlobalKeyMonitor monitor;
    EXPECT_FALSE(monitor.start([](const KeyRelease&) {}));
    EXPECT_FALSE(monitor.isRunning());
    Platform::X11::X11Workspace workspace;
    EXPECT_FALSE(workspace.frontmostApplication().has_value());
    EXPECT_TRUE(workspace.runningApplications().isEmpty());
    Platform::X11::X11Pasteboard pasteboard;
    EXPECT_FALSE(pasteboard.isValid());
    const QFuture<Platform::PasteboardClip> read = pasteboard.read();
    EXPECT_TRUE(read.isFinished());
    EXPECT_FALSE(read.result().string.has_value());
    EXPECT_FALSE(Platform::X11::X11FocusedElementLocator::locate(std::chrono::milliseconds(500)).has_value());
    qputenv("DISPLAY", display);
}

} // namespace
