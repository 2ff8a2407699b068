#include <Platform/DBus/DBusSingleInstance.h>
#include <PrivateSessionBus.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using Platform::DBusSingleInstance;
using Claim = Platform::SingleInstance::Claim;
using namespace std::chrono_literals;

namespace {

class DBusSingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.isRunning()) << "dbus-daemon did not start"; }

    QDBusConnection connect(const QString& name) {
        QDBusConnection connection = QDBusConnection::connectToBus(bus.address(), name);
        connections.append(name);
        return connection;
    }
    void TearDown() override {
        for (const QString& name : connections)
            QDBusConnection::disconnectFromBus(name);
    }

    // Runs `work` on another thread, as a second process would, while this thread serves the bus.
    template <typename Work> auto fromOtherThread(Work work) {
        std::atomic<bool> done = false;
        decltype(work()) result{};
        std::thread thread([&] {
            result = work();
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 10000));
        thread.join();
        return result;
    }

    // Runs a command-line D-Bus client against the private bus.
    int runClient(const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(bus.environment());
        process.start(QStringLiteral("gdbus"), arguments);
        EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000));
        return process.exitCode();
    }

    PrivateSessionBus bus;
    QStringList connections;
};

TEST_F(DBusSingleInstanceTest, FirstClaimWinsAndTheNameIsReleasedOnDestruction) {
    auto first = std::make_unique<DBusSingleInstance>(connect("first"));
    DBusSingleInstance second(connect("second"));
    EXPECT_EQ(first->claim(), Claim::Primary);
    EXPECT_EQ(first->claim(), Claim::Primary) << "claiming again keeps the name";
    EXPECT_EQ(second.claim(), Claim::AlreadyRunning);
    first.reset();
    EXPECT_EQ(second.claim(), Claim::Primary);
}

TEST_F(DBusSingleInstanceTest, SecondInstanceHandsRequestsToTheFirst) {
    DBusSingleInstance first(connect("first"));
    ASSERT_EQ(first.claim(), Claim::Primary);
    int showRequests = 0;
    QList<QUrl> received;
    first.observeShowHistory([&] { ++showRequests; });
    first.observeOpenUrls([&](const QList<QUrl>& urls) { received.append(urls); });

    const QString address = bus.address();
    const bool delivered = fromOtherThread([&] {
        QDBusConnection connection = QDBusConnection::connectToBus(address, "other-thread");
        bool ok;
        {
            DBusSingleInstance second(connection);
            ok = second.claim() == Claim::AlreadyRunning && second.sendShowHistory() &&
                 second.sendUrls({QUrl("quillstack://show"), QUrl("quillstack:history?a=%20b")});
        }
        QDBusConnection::disconnectFromBus("other-thread");
        return ok;
    });
    EXPECT_TRUE(delivered);
    EXPECT_EQ(showRequests, 1);
    EXPECT_EQ(received, (QList<QUrl>{QUrl("quillstack://show"), QUrl("quillstack:history?a=%20b")}));
}

TEST_F(DBusSingleInstanceTest, SendingWithoutARunningInstanceFails) {
    DBusSingleInstance lonely(connect("lonely"));
    EXPECT_FALSE(lonely.sendShowHistory());
    EXPECT_FALSE(lonely.sendUrls({QUrl("quillstack://show")}));
    EXPECT_FALSE(lonely.sendCommand(Platform::InstanceCommand::Quit));
}

// The status menu's commands, by their method names, from a second instance and from any program.
TEST_F(DBusSingleInstanceTest, StatusMenuCommandsAreServedByName) {
    using Platform::InstanceCommand;
    DBusSingleInstance first(connect("first"));
    ASSERT_EQ(first.claim(), Claim::Primary);
    QList<InstanceCommand> received;
    first.observeCommands([&](InstanceCommand command) { received.append(command); });

    const QList<InstanceCommand> all{InstanceCommand::OpenSettings, InstanceCommand::ToggleMonitoring,
                                     InstanceCommand::ClearHistory, InstanceCommand::Quit};
    const QString address = bus.address();
    const bool delivered = fromOtherThread([&] {
        QDBusConnection connection = QDBusConnection::connectToBus(address, "other-thread");
        bool ok = true;
        {
            DBusSingleInstance second(connection);
            for (const InstanceCommand command : all)
                ok = second.sendCommand(command) && ok;
        }
        QDBusConnection::disconnectFromBus("other-thread");
        return ok;
    });
    EXPECT_TRUE(delivered);
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == 4; }, 5000));
    EXPECT_EQ(received, all);

    for (const char* method : {"OpenSettings", "ToggleMonitoring", "ClearHistory", "Quit"}) {
        EXPECT_EQ(runClient({"call", "--session", "--dest", "dev.corvinel.quillstack", "--object-path",
                             "/dev/corvinel/quillstack", "--method",
                             QStringLiteral("dev.corvinel.quillstack.") + QString::fromLatin1(method)}),
                  0)
            << method;
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == 8; }, 5000));
    EXPECT_EQ(received.mid(4), all);
}

TEST_F(DBusSingleInstanceTest, BroadcastSignalFromAnyObjectReachesTheRunningInstance) {
    DBusSingleInstance first(connect("first"));
    ASSERT_EQ(first.claim(), Claim::Primary);
    int showRequests = 0;
    first.observeShowHistory([&] { ++showRequests; });

    for (const char* path : {"/dev/corvinel/quillstack", "/some/other/sender"}) {
        const int before = showRequests;
        EXPECT_EQ(runClient({"emit", "--session", "--object-path", path, "--signal",
                             "dev.corvinel.quillstack.showHistory"}),
                  0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return showRequests == before + 1; }, 5000)) << path;
    }
    // Another interface's signal of the same name is not the request.
    EXPECT_EQ(
        runClient({"emit", "--session", "--object-path", "/x", "--signal", "org.example.Other.showHistory"}),
        0);
    QTest::qWait(200);
    EXPECT_EQ(showRequests, 2);
}

TEST_F(DBusSingleInstanceTest, MethodCallsFromOtherProgramsAreServed) {
    DBusSingleInstance first(connect("first"));
    ASSERT_EQ(first.claim(), Claim::Primary);
    int showRequests = 0;
    QList<QUrl> received;
    first.observeShowHistory([&] { ++showRequests; });
    first.observeOpenUrls([&](const QList<QUrl>& urls) { received.append(urls); });

    QProcess call;
    call.setProcessEnvironment(bus.environment());
    call.start("gdbus", {"call", "--session", "--dest", "dev.corvinel.quillstack", "--object-path",
                         "/dev/corvinel/quillstack", "--method", "dev.corvinel.quillstack.OpenURLs",
                         "['quillstack://show', 'not a url at all']"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return call.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(call.exitCode(), 0) << call.readAllStandardError().constData();
    ASSERT_EQ(received.size(), 2);
    EXPECT_EQ(received[0], QUrl("quillstack://show"));
    EXPECT_EQ(showRequests, 0);
}

TEST_F(DBusSingleInstanceTest, ReplacementWaitsUntilTheOldInstanceHasGone) {
    auto old = std::make_unique<DBusSingleInstance>(connect("old"));
    ASSERT_EQ(old->claim(), Claim::Primary);

    const QString address = bus.address();
    // The old instance stays: the wait is bounded.
    const Claim refused = fromOtherThread([&] {
        QDBusConnection connection = QDBusConnection::connectToBus(address, "replacement-1");
        Claim claim;
        {
            DBusSingleInstance replacement(connection);
            claim = replacement.claimWhenReleased(300ms);
        }
        QDBusConnection::disconnectFromBus("replacement-1");
        return claim;
    });
    EXPECT_EQ(refused, Claim::AlreadyRunning);

    // The old instance goes while the replacement waits.
    std::atomic<bool> waiting = false;
    std::atomic<bool> done = false;
    Claim result = Claim::Unavailable;
    std::thread thread([&] {
        QDBusConnection connection = QDBusConnection::connectToBus(address, "replacement-2");
        {
            DBusSingleInstance replacement(connection);
            waiting = true;
            result = replacement.claimWhenReleased(10s);
        }
        QDBusConnection::disconnectFromBus("replacement-2");
        done = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return waiting.load(); }, 5000));
    QTest::qWait(150);
    old.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 10000));
    thread.join();
    EXPECT_EQ(result, Claim::Primary);
}

TEST(DBusSingleInstanceWithoutBus, ReportsTheBusUnavailable) {
    DBusSingleInstance instance(
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), "none"));
    EXPECT_EQ(instance.claim(), Claim::Unavailable);
    EXPECT_FALSE(instance.sendShowHistory());
    QDBusConnection::disconnectFromBus("none");
}

} // namespace
