// The focused-field locator against a test window of our own, with and without its accessibility
// bridge on the AT-SPI bus of the test session.
#include "Platform/X11/X11FocusedElementLocator.h"
#include "Platform/X11/X11Workspace.h"
#include "TestSession.h"

#include <gtest/gtest.h>

using TestSession::Child;

namespace {

struct WindowUnderTest {
    explicit WindowUnderTest(const QStringList& environment, const QStringList& arguments = {}) {
        child.start(QStringLiteral(QS_TEST_WINDOW), QStringList{"--class", "located,Located"} + arguments,
                    environment);
        const auto id = child.waitForLine(QStringLiteral("window "));
        EXPECT_TRUE(id.has_value());
        window = id.value_or(QString()).toUInt();
        Platform::X11::X11Workspace workspace;
        EXPECT_TRUE(TestSession::waitUntil([&] {
            const auto front = workspace.frontmostApplication();
            return front && front->window == window;
        }));
        EXPECT_TRUE(TestSession::waitForInputFocus(window));
    }

    // The window's frame as xdotool reports it.
    QRect frame() {
        Child tool(QStringLiteral("xdotool"), {"getwindowgeometry", "--shell", QString::number(window)});
        EXPECT_TRUE(tool.waitForExit());
        QHash<QString, int> values;
        for (const QByteArray& line : tool.process().readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split('=');
            if (parts.size() == 2)
                values.insert(QString::fromLatin1(parts[0]), parts[1].toInt());
        }
        return QRect(values.value("X"), values.value("Y"), values.value("WIDTH"), values.value("HEIGHT"));
    }

    Child child;
    quint32 window = 0;
};

std::optional<QRect> locate() {
    Platform::X11::X11FocusedElementLocator locator;
    locator.setBudget(std::chrono::milliseconds(3000));
    const auto answer = TestSession::result(locator.focusedInputFrame(), 10000);
    EXPECT_TRUE(answer.has_value()) << "the locator did not answer";
    return answer.value_or(std::nullopt);
}

// The locator's answer once it is something inside the window rather than the window itself (the
// answer until the window has registered with the accessibility bus, which a loaded machine can
// take many seconds to do). The frame is read on both sides of each answer, so that a window the
// window manager is still placing is not taken for an answer that differs from it.
std::optional<QRect> locateInside(WindowUnderTest& window, QRect* frame) {
    std::optional<QRect> answer;
    TestSession::waitUntil(
        [&] {
            const QRect before = window.frame();
            answer = locate();
            *frame = window.frame();
            return answer && before == *frame && *answer != *frame;
        },
        40000);
    return answer;
}

// Starts the accessibility bus of the session, so that the test window registers on it.
void startAccessibilityBus() {
    Child call(QStringLiteral("gdbus"), {"call", "--session", "--dest", "org.a11y.Bus", "--object-path",
                                         "/org/a11y/bus", "--method", "org.a11y.Bus.GetAddress"});
    ASSERT_TRUE(call.waitForExit());
}

TEST(X11FocusedElementLocator, FindsTheCaretOfTheFocusedField) {
    ASSERT_NO_FATAL_FAILURE(startAccessibilityBus());
    // Keys typed while a Qt application sets up its accessibility bridge may be lost, so the text and
    // the caret come from the command line.
    WindowUnderTest window({"QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"}, {"--text", "caret here", "--cursor", "3"});
    QRect frame;
    const std::optional<QRect> caret = locateInside(window, &frame);
    ASSERT_TRUE(caret.has_value());
    EXPECT_TRUE(frame.contains(*caret)) << "caret outside the window";
    EXPECT_GT(caret->height(), 0);
    // The bounds of one character, three characters into the field.
    EXPECT_LT(caret->width(), frame.width() / 10);
    EXPECT_LT(caret->height(), frame.height() / 4);
    EXPECT_GT(caret->left(), frame.left() + 10);
}

TEST(X11FocusedElementLocator, FallsBackToTheFieldFrameBehindTheText) {
    ASSERT_NO_FATAL_FAILURE(startAccessibilityBus());
    // A caret after the last character has no character bounds: the field's frame is the answer.
    WindowUnderTest window({"QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"},
                           {"--text", "caret here", "--cursor", "10"});
    QRect frame;
    const std::optional<QRect> field = locateInside(window, &frame);
    ASSERT_TRUE(field.has_value());
    EXPECT_TRUE(frame.contains(*field));
    EXPECT_LT(field->height(), frame.height() / 4);
    EXPECT_GT(field->width(), frame.width() / 2);
}

TEST(X11FocusedElementLocator, FallsBackToTheWindowFrame) {
    ASSERT_NO_FATAL_FAILURE(startAccessibilityBus());
    // A window that cannot reach the accessibility bus is not in its tree.
    WindowUnderTest window({"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"});
    std::optional<QRect> answer;
    QRect frame;
    // Read while the window manager has stopped placing the window.
    TestSession::waitUntil([&] {
        const QRect before = window.frame();
        answer = locate();
        frame = window.frame();
        return before == frame;
    });
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, frame);
}

} // namespace
