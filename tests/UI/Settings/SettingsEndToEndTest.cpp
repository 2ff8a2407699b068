// The settings window of the real quillstack binary under the test session: the tray menu's
// "Settings…", chosen through the status icon's exported menu as a desktop panel would, brings the
// window in front of the window that had the focus, every time; a left click on the icon opens the
// menu, whose keys work there and in the program's windows; and a shortcut recorded with real key
// presses in the Shortcuts page opens the history panel at once.
#include "RunningQuillstack.h"
#include "TestSession.h"
#include "TrayHost.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

using TestSession::Child;

const QString kSettingsTitle = QStringLiteral("Quillstack Settings");
// The tab bar as laid out in the window: 84-wide cards 6 apart, centred, 12 below the top.
constexpr int kCardWidth = 84;
constexpr int kCardSpacing = 6;
constexpr int kCardCentreY = 12 + 56 / 2;

QString xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(5000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

class SettingsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(watcher.isValid()) << "the status-notifier watcher could not take its name";
        ASSERT_TRUE(quillstack.start(R"({"hasCompletedOnboarding": true})")) << qPrintable(quillstack.log());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !watcher.items().isEmpty(); }, 10000))
            << "no status icon registered\n"
            << qPrintable(quillstack.log());
    }

    // A window of another program in front, with the keyboard focus.
    void openOtherWindow() {
        other =
            std::make_unique<Child>(QStringLiteral(QS_TEST_WINDOW), QStringList{"--class", "qs-e2e,QsE2E"});
        otherId = other->waitForLine(QStringLiteral("window ")).value_or(QString()).toUInt();
        ASSERT_NE(otherId, 0u);
        ASSERT_TRUE(TestSession::waitForInputFocus(otherId));
    }

    // The settings window's X id once it is the active window with the keyboard focus; 0 otherwise.
    quint32 settingsInFront() {
        quint32 id = 0;
        (void)QTest::qWaitFor(
            [&] {
                const quint32 active = xdotool({"getactivewindow"}).toUInt();
                if (active == 0 || xdotool({"getwindowname", QString::number(active)}) != kSettingsTitle)
                    return false;
                id = active;
                return TestSession::hasInputFocus(active);
            },
            8000);
        return TestSession::hasInputFocus(id) ? id : 0;
    }

    int count(const QString& line) const { return int(quillstack.log().count(line)); }

    // Whether the program shows a popup of its own on the screen now (a menu: a window the window
    // manager does not manage).
    bool showsMenu() {
        const QString windows =
            xdotool({"search", "--onlyvisible", "--pid", QString::number(quillstack.process().processId())});
        for (const QString& window : windows.split(u'\n', Qt::SkipEmptyParts)) {
            QProcess xwininfo;
            xwininfo.start(QStringLiteral("xwininfo"), {"-id", window});
            xwininfo.waitForFinished(5000);
            if (xwininfo.readAllStandardOutput().contains("Override Redirect State: yes"))
                return true;
        }
        return false;
    }

    // A left click on the status icon in a panel at the top right of the screen.
    void clickIcon() {
        xdotool({"mousemove", "1880", "12"});
        ASSERT_TRUE(watcher.activate(QPoint(1880, 12)));
    }

    bool quits() {
        return QTest::qWaitFor([&] { return quillstack.process().state() == QProcess::NotRunning; }, 10000) &&
               quillstack.process().exitStatus() == QProcess::NormalExit &&
               quillstack.process().exitCode() == 0;
    }

    RunningQuillstack quillstack;
    StatusNotifierWatcher watcher{quillstack.bus().address()};
    std::unique_ptr<Child> other;
    quint32 otherId = 0;
};

TEST_F(SettingsEndToEnd, TheTrayMenusSettingsEntryBringsTheWindowInFrontEveryTime) {
    EXPECT_TRUE(watcher.labels().contains(QStringLiteral("Settings…")))
        << qPrintable(watcher.labels().join(u'|'));
    openOtherWindow();

    ASSERT_TRUE(watcher.choose(QStringLiteral("Settings…")));
    const quint32 settings = settingsInFront();
    ASSERT_NE(settings, 0u) << qPrintable(quillstack.log());
    EXPECT_FALSE(TestSession::hasInputFocus(otherId));

    // The other program takes the focus back; asking again brings the same window forward again.
    xdotool({"windowactivate", "--sync", QString::number(otherId)});
    ASSERT_TRUE(TestSession::waitForInputFocus(otherId));
    ASSERT_TRUE(watcher.choose(QStringLiteral("Settings…")));
    EXPECT_EQ(settingsInFront(), settings) << qPrintable(quillstack.log());
    EXPECT_EQ(xdotool({"search", "--name", QStringLiteral("^%1$").arg(kSettingsTitle)}).split(u'\n').size(),
              1)
        << "one settings window";
    EXPECT_TRUE(QTest::qWaitFor([&] { return count(QStringLiteral("settings window shown")) == 2; }, 2000));
}

// A left click on the status icon opens its menu, and the keys the menu shows beside its entries
// work there: Ctrl+, opens the settings, Ctrl+Q quits.
TEST_F(SettingsEndToEnd, ALeftClickOnTheIconOpensItsMenuWhereItsKeysWork) {
    openOtherWindow();
    ASSERT_FALSE(showsMenu());
    ASSERT_NO_FATAL_FAILURE(clickIcon());
    ASSERT_TRUE(QTest::qWaitFor([&] { return showsMenu(); }, 5000)) << qPrintable(quillstack.log());
    xdotool({"key", "ctrl+comma"});
    ASSERT_NE(settingsInFront(), 0u) << qPrintable(quillstack.log());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !showsMenu(); }, 5000)) << "the key closed the menu";

    ASSERT_NO_FATAL_FAILURE(clickIcon());
    ASSERT_TRUE(QTest::qWaitFor([&] { return showsMenu(); }, 5000)) << qPrintable(quillstack.log());
    xdotool({"key", "ctrl+q"});
    EXPECT_TRUE(quits()) << qPrintable(quillstack.log());
}

// The menu's keys work in the program's own windows too, as a menu bar's would: Ctrl+, in the
// history panel opens the settings, Ctrl+Q in the settings window quits.
TEST_F(SettingsEndToEnd, TheMenusKeysWorkInTheProgramsWindows) {
    // Something in the history, so the panel shows a row.
    ASSERT_TRUE(RunningQuillstack::copyText("a row in the panel"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !quillstack.storedTexts().isEmpty(); }, 10000))
        << qPrintable(quillstack.log());
    openOtherWindow();
    xdotool({"key", "--clearmodifiers", "shift+super+v"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return count(QStringLiteral("panel shown")) == 1; }, 5000))
        << qPrintable(quillstack.log());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !TestSession::hasInputFocus(otherId); }, 5000));

    xdotool({"key", "ctrl+comma"});
    ASSERT_NE(settingsInFront(), 0u) << qPrintable(quillstack.log());
    xdotool({"key", "ctrl+q"});
    EXPECT_TRUE(quits()) << qPrintable(quillstack.log());
}

TEST_F(SettingsEndToEnd, ARecordedShortcutOpensThePanelAtOnce) {
    // Something in the history, so the panel shows a row.
    ASSERT_TRUE(RunningQuillstack::copyText("recorded shortcut"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !quillstack.storedTexts().isEmpty(); }, 10000))
        << qPrintable(quillstack.log());
    ASSERT_TRUE(watcher.choose(QStringLiteral("Settings…")));
    const quint32 settings = settingsInFront();
    ASSERT_NE(settings, 0u) << qPrintable(quillstack.log());
    const QString geometry = xdotool({"getwindowgeometry", "--shell", QString::number(settings)});
    const auto value = [&](const char* name) {
        return QRegularExpression(QStringLiteral("%1=(-?\\d+)").arg(QLatin1String(name)))
            .match(geometry)
            .captured(1)
            .toInt();
    };
    const QPoint origin(value("X"), value("Y"));

    // The Shortcuts card, second in the bar, which is centred across the window (a window manager
    // that makes every window fill the screen widens it).
    const int barLeft = (value("WIDTH") - (6 * kCardWidth + 5 * kCardSpacing)) / 2;
    const QPoint shortcutsTab =
        origin + QPoint(barLeft + kCardWidth + kCardSpacing + kCardWidth / 2, kCardCentreY);
    xdotool(
        {"mousemove", QString::number(shortcutsTab.x()), QString::number(shortcutsTab.y()), "click", "1"});
    // Where the page settled and where the field is on it, from the program's log.
    QRegularExpressionMatch page;
    QRegularExpressionMatch recorder;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            page =
                QRegularExpression(QStringLiteral("page shortcuts in place at (\\d+),(\\d+) in the window"))
                    .match(quillstack.log());
            recorder =
                QRegularExpression(QStringLiteral("shortcut field showHistory at (\\d+),(\\d+) in the page"))
                    .match(quillstack.log());
            return page.hasMatch() && recorder.hasMatch();
        },
        5000))
        << qPrintable(quillstack.log());

    // Into the field, then the new chord, pressed for real.
    const QPoint field = origin + QPoint(page.captured(1).toInt(), page.captured(2).toInt()) +
                         QPoint(recorder.captured(1).toInt(), recorder.captured(2).toInt());
    xdotool({"mousemove", QString::number(field.x()), QString::number(field.y()), "click", "1"});
    QTest::qWait(300);
    xdotool({"key", "--clearmodifiers", "ctrl+alt+k"});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return quillstack.log().contains(QStringLiteral("shortcut showHistory is now")); }, 5000))
        << qPrintable(quillstack.log());
    EXPECT_TRUE(quillstack.log().contains(
        QStringLiteral(R"(shortcut showHistory is now {"carbonKeyCode":40,"carbonModifiers":6144} (live))")))
        << qPrintable(quillstack.log());
    QFile file(quillstack.homePath(QStringLiteral("config/quillstack/settings.json")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(file.readAll())
                  .object()
                  .value(QStringLiteral("Hotkeys_showHistory"))
                  .toString(),
              R"({"carbonKeyCode":40,"carbonModifiers":6144})")
        << "stored";

    const int shownBefore = count(QStringLiteral("panel shown"));
    xdotool({"key", "--clearmodifiers", "ctrl+alt+k"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return count(QStringLiteral("panel shown")) > shownBefore; }, 5000))
        << "the new chord works without a restart\n"
        << qPrintable(quillstack.log());
}

} // namespace
