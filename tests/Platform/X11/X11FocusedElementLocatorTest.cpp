// The focused-field locator against a test window of our own, with and without its accessibility
// bridge on the AT-SPI bus of the test session.
#include "Platform/X11/X11FocusedElementLocator.h"
#include "Platform/X11/X11Workspace.h"
#include "TestSession.h"

#include <gtest/gtest.h>

using TestSession::Child;

namespace {

struct WindowUnderTest {
    explicit WindowUnderTest(const QStringList& environment) {
        child.start(QStringLiteral(QS_TEST_WINDOW), {"--class", "located,Located"}, environment);
        const auto id = child.waitForLine(QStringLiteral("window "));
        EXPECT_TRUE(id.has_value());
        window = id.value_or(QString()).toUInt();
        Platform::X11::X11Workspace workspace;
        EXPECT_TRUE(TestSession::waitUntil([&] {
            const auto front = workspace.frontmostApplication();
            return front && front->window == window;
        }));
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

// Starts the accessibility bus of the session, so that the test window registers on it.
void startAccessibilityBus() {
    Child call(QStringLiteral("gdbus"), {"call", "--session", "--dest", "org.a11y.Bus", "--object-path",
                                         "/org/a11y/bus", "--method", "org.a11y.Bus.GetAddress"});
    ASSERT_TRUE(call.waitForExit());
}

TEST(X11FocusedElementLocator, FindsTheCaretOfTheFocusedField) {
    ASSERT_NO_FATAL_FAILURE(startAccessibilityBus());
    WindowUnderTest window({"QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"});
    // An empty field has no caret bounds: its frame is the answer, once the window has registered
    // with the accessibility bus (until then the window frame is).
    std::optional<QRect> field;
    TestSession::waitUntil([&] {
        field = locate();
        return field && *field != window.frame();
    });
    ASSERT_TRUE(field.has_value());
    EXPECT_TRUE(window.frame().contains(*field));
    EXPECT_LT(field->height(), window.frame().height() / 4);
    EXPECT_GT(field->width(), window.frame().width() / 2);

    Child typing(QStringLiteral("xdotool"), {"type", "--delay", "10", "caret here"});
    ASSERT_TRUE(window.child.waitForLine(QStringLiteral("text caret here")).has_value());
    // Behind the end of the text there is no character to take the bounds of; inside there is.
    Child moving(QStringLiteral("xdotool"), {"key", "Home", "Right", "Right", "Right"});
    ASSERT_TRUE(moving.waitForExit());

    const QRect frame = window.frame();
    const auto caret = locate();
    ASSERT_TRUE(caret.has_value());
    EXPECT_TRUE(frame.contains(*caret)) << "caret outside the window";
    EXPECT_GT(caret->height(), 0);
    // A caret or the last character, not the whole field or window.
    EXPECT_LT(caret->width(), frame.width() / 4);
    EXPECT_LT(caret->height(), frame.height());
    // The caret sits three characters into the field.
    EXPECT_GT(caret->left(), field->left() + 10);
    EXPECT_TRUE(field->contains(caret->center()));
}

TEST(X11FocusedElementLocator, FallsBackToTheWindowFrame) {
    ASSERT_NO_FATAL_FAILURE(startAccessibilityBus());
    // A window that cannot reach the accessibility bus is not in its tree.
    WindowUnderTest window({"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"});
    const auto answer = locate();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, window.frame());
}

} // namespace
