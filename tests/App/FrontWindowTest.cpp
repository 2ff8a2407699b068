// A question asked from the tray comes up above the application the user works in, on the real X
// server and window manager of the test session.
#include <App/FrontWindow.h>
#include <Platform/X11/X11Workspace.h>

#include "TestSession.h"

#include <QMessageBox>

#include <gtest/gtest.h>

namespace {

TEST(FrontWindow, TheClearHistoryQuestionComesUpAboveTheWindowInFront) {
    Platform::X11::X11Workspace workspace;
    ASSERT_TRUE(workspace.isValid());
    TestSession::Child editor(QStringLiteral(QS_TEST_WINDOW), {"--class", "qs-front,QsFrontEditor"});
    const quint32 editorWindow = editor.waitForLine(QStringLiteral("window ")).value_or(QString()).toUInt();
    ASSERT_TRUE(TestSession::waitForInputFocus(editorWindow));

    QMessageBox question;
    question.setText(QStringLiteral("Clear entire history?"));
    question.addButton(QMessageBox::Cancel);
    App::keepInFront(question, workspace);
    question.show();
    // A window manager that prevents focus stealing keeps the application the user works in active
    // when a window of ours comes up without a user timestamp, as one from a tray click over D-Bus
    // does. The test window manager does not, so the test does it in its place.
    Platform::RunningApplication inFront;
    inFront.window = editorWindow;
    ASSERT_TRUE(workspace.activate(inFront));

    const auto window = quint32(question.winId());
    EXPECT_TRUE(TestSession::waitUntil([&] {
        const auto front = workspace.frontmostApplication();
        return front && front->window == window;
    })) << "the question is the active window";
    EXPECT_TRUE(TestSession::waitForInputFocus(window));
    EXPECT_TRUE(question.windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        << "and asks to stay above the window in front while it is open";
}

} // namespace
