// The onboarding of the real quillstack binary under the test session, with a configuration of its
// own: a first start shows the welcome step in front, Return three times finishes it, the next start
// shows none, and the window follows a drag of its background. Keys and the pointer are real X input
// from xdotool.
#include "RunningQuillstack.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

const QString kWindowTitle = QStringLiteral("^Welcome to Quillstack$");

QString xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(5000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The visible onboarding window, or 0.
quint32 onboardingWindow() {
    return xdotool({"search", "--onlyvisible", "--name", kWindowTitle}).section(u'\n', 0, 0).toUInt();
}

QPoint windowPosition(quint32 window) {
    const QString shell = xdotool({"getwindowgeometry", "--shell", QString::number(window)});
    const auto value = [&shell](const char* name) {
        return QRegularExpression(QStringLiteral("%1=(-?\\d+)").arg(QLatin1String(name)))
            .match(shell)
            .captured(1)
            .toInt();
    };
    return {value("X"), value("Y")};
}

bool logShows(const RunningQuillstack& quillstack, const QString& line) {
    return QTest::qWaitFor([&] { return quillstack.log().contains(line); }, 5000);
}

TEST(OnboardingEndToEnd, TheFirstStartShowsItReturnFinishesItAndTheNextStartDoesNot) {
    QByteArray settingsAfterwards;
    {
        RunningQuillstack first;
        ASSERT_TRUE(first.start("{}")) << qPrintable(first.log());
        ASSERT_TRUE(logShows(first, "onboarding shown, step 0")) << qPrintable(first.log());
        quint32 window = 0;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (window = onboardingWindow()) != 0; }, 5000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return xdotool({"getactivewindow"}).toUInt() == window; }, 5000))
            << "the onboarding window is in front";

        for (const char* next : {"onboarding step 1", "onboarding step 2", "onboarding finished"}) {
            xdotool({"key", "Return"});
            ASSERT_TRUE(logShows(first, QString::fromLatin1(next))) << next << qPrintable(first.log());
        }
        EXPECT_TRUE(QTest::qWaitFor([] { return onboardingWindow() == 0; }, 5000)) << "the window went";

        QFile settings(first.homePath(QStringLiteral("config/quillstack/settings.json")));
        ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
        settingsAfterwards = settings.readAll();
        EXPECT_TRUE(
            QJsonDocument::fromJson(settingsAfterwards).object().value("hasCompletedOnboarding").toBool())
            << settingsAfterwards.constData();
    }

    RunningQuillstack next;
    ASSERT_TRUE(next.start(settingsAfterwards)) << qPrintable(next.log());
    QTest::qWait(1000);
    EXPECT_FALSE(next.log().contains(QStringLiteral("onboarding shown"))) << qPrintable(next.log());
    EXPECT_EQ(onboardingWindow(), 0u);
}

TEST(OnboardingEndToEnd, DraggingTheBackgroundMovesTheWindow) {
    RunningQuillstack quillstack;
    ASSERT_TRUE(quillstack.start("{}")) << qPrintable(quillstack.log());
    quint32 window = 0;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (window = onboardingWindow()) != 0; }, 5000))
        << qPrintable(quillstack.log());
    const QPoint start = windowPosition(window);

    // A point of the card's background: its left margin, halfway down, clear of every control.
    const QPoint grab = start + QPoint(14, 300);
    const QPoint by(90, 50);
    xdotool({"mousemove", QString::number(grab.x()), QString::number(grab.y()), "mousedown", "1"});
    for (int step = 1; step <= 3; ++step) {
        const QPoint at = grab + by * step / 3;
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())});
        QTest::qWait(50);
    }
    xdotool({"mouseup", "1"});

    EXPECT_TRUE(QTest::qWaitFor([&] { return windowPosition(window) == start + by; }, 3000))
        << "from " << start.x() << "," << start.y() << " to " << windowPosition(window).x() << ","
        << windowPosition(window).y();
    EXPECT_FALSE(quillstack.log().contains(QStringLiteral("onboarding step")))
        << "the drag pressed no button";
}

} // namespace
