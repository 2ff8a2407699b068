// The history panel of the real quillstack binary under the test session: the hot key shows it
// over a test window, typing filters, Return pastes into the window, Escape closes one layer at a
// time, Ctrl+click builds a multi-selection that pastes joined, and the paste queue pastes item by
// item. Keys and clicks are real X input from xdotool.
#include "RunningQuillstack.h"
#include "TestSession.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

using TestSession::Child;

// The panel's height while items are multi-selected, and where the bar's "Paste Queue" button sits
// from the panel's bottom-right corner then (the bar stands above the footer).
constexpr int HistoryMultiSelectHeight = 600;
constexpr int kQueueButtonFromRight = 175;
constexpr int kBarButtonsFromBottom = 70;

class HistoryPanelEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(quillstack.start(settings())) << qPrintable(quillstack.log()); }
    virtual QByteArray settings() const {
        return R"({"hasCompletedOnboarding": true, "autoPaste": true, "windowPosition": "center"})";
    }

    // Copies `text` and waits until the history has it on top.
    void copyText(const QByteArray& text) {
        ASSERT_TRUE(RunningQuillstack::copyText(text));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return quillstack.storedTexts().value(0) == QString::fromUtf8(text); }, 10000))
            << qPrintable(quillstack.log());
    }

    static void xdotool(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral("xdotool"), arguments);
        ASSERT_TRUE(process.waitForFinished(5000));
    }

    // The test window in front with the keyboard focus.
    void openWindow(const QStringList& arguments = {}, const QStringList& environment = {}) {
        window = std::make_unique<Child>(QStringLiteral(QS_TEST_WINDOW),
                                         QStringList{"--class", "qs-e2e,QsE2E"} + arguments, environment);
        windowId = window->waitForLine(QStringLiteral("window ")).value_or(QString()).toUInt();
        ASSERT_NE(windowId, 0u);
        ASSERT_TRUE(TestSession::waitForInputFocus(windowId));
    }

    // Shows the panel with the hot key; the focus leaves the test window for it.
    void showPanel() {
        const qsizetype shownBefore = quillstack.log().count(QStringLiteral("panel shown"));
        xdotool({"key", "--clearmodifiers", "shift+super+v"});
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return quillstack.log().count(QStringLiteral("panel shown")) > shownBefore; }, 5000))
            << qPrintable(quillstack.log());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !TestSession::hasInputFocus(windowId); }, 5000));
        const auto match =
            QRegularExpression(
                QStringLiteral(
                    "first row at (\\d+),(\\d+) height (\\d+); panel at (-?\\d+),(-?\\d+) width (\\d+)"))
                .globalMatch(quillstack.log());
        QRegularExpressionMatch last;
        for (auto it = match; it.hasNext();)
            last = it.next();
        firstRow = QPoint(last.captured(1).toInt(), last.captured(2).toInt());
        rowPitch = last.captured(3).toInt();
        panelFrame = QRect(last.captured(4).toInt(), last.captured(5).toInt(), last.captured(6).toInt(),
                           HistoryMultiSelectHeight);
    }

    void ctrlClickRow(int row) {
        const QPoint at = firstRow + QPoint(0, row * rowPitch);
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())});
        QTest::qWait(100);
        xdotool({"keydown", "ctrl", "click", "1", "keyup", "ctrl"});
        QTest::qWait(150);
    }

    bool panelGone() { return TestSession::waitForInputFocus(windowId); }

    // Waits until the field shows exactly `text`.
    bool fieldShows(const QString& text) {
        const bool shown = QTest::qWaitFor(
            [&] {
                while (auto line = window->waitForLine(QStringLiteral("text "), 50))
                    fieldText = *line;
                return fieldText == text;
            },
            8000);
        return shown;
    }

    RunningQuillstack quillstack;
    std::unique_ptr<Child> window;
    quint32 windowId = 0;
    QPoint firstRow;
    int rowPitch = 0;
    QRect panelFrame;
    QString fieldText;
};

TEST_F(HistoryPanelEndToEnd, HotKeyFilterAndReturnPasteIntoTheWindowInFront) {
    copyText("alpha apple");
    copyText("beta banana");
    copyText("gamma grape");
    openWindow();

    showPanel();
    xdotool({"type", "--delay", "40", "banana"});
    QTest::qWait(200);
    xdotool({"key", "Return"});
    ASSERT_TRUE(panelGone()) << qPrintable(quillstack.log());
    EXPECT_TRUE(fieldShows(QStringLiteral("beta banana"))) << qPrintable(fieldText);

    // Escape closes one layer at a time: first the multi-selection, then the panel.
    showPanel();
    xdotool({"key", "ctrl+a", "BackSpace"});
    QTest::qWait(200);
    ctrlClickRow(0);
    xdotool({"key", "Escape"});
    QTest::qWait(300);
    EXPECT_FALSE(TestSession::hasInputFocus(windowId)) << "the first Escape only empties the selection";
    xdotool({"key", "Escape"});
    EXPECT_TRUE(panelGone());
    EXPECT_EQ(fieldText, QStringLiteral("beta banana")) << "Escape pastes nothing";
}

TEST_F(HistoryPanelEndToEnd, CtrlClickedItemsPasteJoinedWithNewlines) {
    copyText("one");
    copyText("two");
    copyText("three");
    openWindow();
    showPanel();
    // Rows: three, two, one. Picked out of order, pasted in list order.
    ctrlClickRow(2);
    ctrlClickRow(0);
    xdotool({"key", "Return"});
    ASSERT_TRUE(panelGone()) << qPrintable(quillstack.log());
    // The field is one line: the pasted newline ends its text there.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            while (auto line = window->waitForLine(QStringLiteral("text "), 50))
                fieldText = *line;
            return fieldText.startsWith(QStringLiteral("three"));
        },
        8000))
        << qPrintable(fieldText);
    EXPECT_TRUE(quillstack.storedTexts().contains(QStringLiteral("three\none")))
        << qPrintable(quillstack.storedTexts().join(u'|'));
}

TEST_F(HistoryPanelEndToEnd, PasteQueueThroughThePanel) {
    copyText("first-");
    copyText("second-");
    openWindow();
    showPanel();
    // Rows: "second-", "first-". The queue pastes them in list order: the first at once, the next
    // after the user's own Ctrl+V.
    ctrlClickRow(0);
    ctrlClickRow(1);
    const QPoint queue = panelFrame.bottomRight() + QPoint(-kQueueButtonFromRight, -kBarButtonsFromBottom);
    xdotool({"mousemove", QString::number(queue.x()), QString::number(queue.y())});
    QTest::qWait(100);
    xdotool({"click", "1"});
    ASSERT_TRUE(panelGone()) << qPrintable(quillstack.log());
    EXPECT_TRUE(fieldShows(QStringLiteral("second-"))) << qPrintable(fieldText);
    // The automatic paste used "second-"; the queue then puts "first-" on the clipboard, and the
    // user's one Ctrl+V pastes it and ends the run.
    QTest::qWait(800);
    // Ctrl held around the V, as a user types it.
    xdotool({"keydown", "ctrl", "keydown", "v", "keyup", "v", "keyup", "ctrl"});
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            while (auto line = window->waitForLine(QStringLiteral("text "), 50))
                fieldText = *line;
            return fieldText == QStringLiteral("second-first-");
        },
        8000))
        << qPrintable(fieldText);
}

// "input": the panel opens by the caret of the field the user types in.
class HistoryPanelNearTheCaret : public HistoryPanelEndToEnd {
protected:
    QByteArray settings() const override {
        return R"({"hasCompletedOnboarding": true, "windowPosition": "input"})";
    }

    // The test window with its field holding "caret here" and the caret at `cursor`, its accessible
    // tree on the accessibility bus of the binary's session.
    void openAccessibleWindow(int cursor) {
        QDBusConnection bus =
            QDBusConnection::connectToBus(quillstack.bus().address(), QStringLiteral("a11y"));
        const QDBusMessage reply = bus.call(
            QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress"));
        QDBusConnection::disconnectFromBus(QStringLiteral("a11y"));
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << qPrintable(reply.errorMessage());
        openWindow(
            {"--text", "caret here", "--cursor", QString::number(cursor)},
            {"DBUS_SESSION_BUS_ADDRESS=" + quillstack.bus().address(), "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"});
    }
};

TEST_F(HistoryPanelNearTheCaret, OpensByTheCaretOfTheFieldInFront) {
    copyText("near the caret");
    openAccessibleWindow(3);
    // The window fills the screen; its field, half-way down, has the caret near its left end. The
    // pointer rests in the far corner.
    xdotool({"mousemove", "1900", "1060"});
    // The window's accessible tree appears on the bus a moment after the window.
    QTest::qWait(1500);

    showPanel();
    // Centred on the caret, kept 8 pixels inside the screen's left edge; no room above the caret, so
    // below it, kept 8 pixels above the bottom. By the pointer the panel would be at 1052,488, by the
    // window's frame or the whole field at 530,512.
    EXPECT_EQ(panelFrame.topLeft(), QPoint(8, 1080 - 560 - 8)) << qPrintable(quillstack.log());
}

// At twice the scale Qt places the panel in coordinates half the X screen's pixels, while the
// accessibility bus reports the field in those pixels.
class HistoryPanelNearTheCaretAtTwiceTheScale : public HistoryPanelNearTheCaret {
protected:
    void SetUp() override {
        quillstack.setEnvironment(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
        HistoryPanelNearTheCaret::SetUp();
    }
};

TEST_F(HistoryPanelNearTheCaretAtTwiceTheScale, OpensByTheFieldInFront) {
    copyText("near the field");
    // Behind the last character the caret has no bounds of its own: the field is the anchor. It spans
    // the window, which fills the 1920 × 1080 screen: 960 × 540 in the panel's coordinates.
    openAccessibleWindow(10);
    xdotool({"mousemove", "1900", "1060"});
    QTest::qWait(1500);

    showPanel();
    // Centred on the field's middle (480 across) and kept 8 inside the top: the 560 high panel fits
    // neither above nor below the field. Read as Qt's coordinates, the field's middle would be 960
    // and the panel pushed against the right edge, at 960 - 860 - 8 = 92.
    EXPECT_NEAR(panelFrame.x(), 480 - 860 / 2, 1) << qPrintable(quillstack.log());
    EXPECT_EQ(panelFrame.y(), 8);
}

} // namespace
