#include <Platform/Fakes/FakeScheduler.h>
#include <Platform/Scheduling/QtScheduler.h>

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

TEST(FakeScheduler, RunsTasksInDueOrderAtTheirOwnTime) {
    Platform::FakeScheduler scheduler;
    QObject context;
    std::vector<std::pair<std::string, long>> runs;
    auto record = [&](std::string name) {
        return [&, name] {
            runs.emplace_back(name, static_cast<long>(scheduler.now().count()));
        };
    };
    scheduler.schedule(250ms, &context, record("c"));
    scheduler.schedule(50ms, &context, record("a"));
    scheduler.schedule(50ms, &context, [&] {
        runs.emplace_back("b", static_cast<long>(scheduler.now().count()));
        // Scheduled while advancing and due within the same advance.
        scheduler.schedule(10ms, &context, record("b+10"));
    });
    scheduler.advance(100ms);
    EXPECT_EQ(runs, (std::vector<std::pair<std::string, long>>{{"a", 50}, {"b", 50}, {"b+10", 60}}));
    EXPECT_EQ(scheduler.now(), 100ms);
    scheduler.advance(150ms);
    EXPECT_EQ(runs.back(), (std::pair<std::string, long>{"c", 250}));
}

TEST(FakeScheduler, SkipsTasksWhoseContextIsGone) {
    Platform::FakeScheduler scheduler;
    int runs = 0;
    {
        QObject context;
        scheduler.schedule(10ms, &context, [&] { ++runs; });
    }
    scheduler.schedule(10ms, nullptr, [&] { ++runs; });
    scheduler.advance(1s);
    EXPECT_EQ(runs, 1);
}

TEST(FakeScheduler, RepeatingTimerFiresEachIntervalUntilStopped) {
    Platform::FakeScheduler scheduler;
    int ticks = 0;
    auto timer = scheduler.repeat(300ms, 100ms, [&] { ++ticks; });
    scheduler.advance(299ms);
    EXPECT_EQ(ticks, 0);
    scheduler.advance(1ms);
    EXPECT_EQ(ticks, 1);
    scheduler.advance(900ms);
    EXPECT_EQ(ticks, 4);
    timer->stop();
    EXPECT_FALSE(timer->isActive());
    scheduler.advance(1s);
    EXPECT_EQ(ticks, 4);
    auto dropped = scheduler.repeat(10ms, 0ms, [&] { ++ticks; });
    dropped.reset();
    scheduler.advance(1s);
    EXPECT_EQ(ticks, 4);
}

TEST(QtScheduler, DelaysAndRepeatsOnTheEventLoop) {
    Platform::QtScheduler scheduler;
    auto context = std::make_unique<QObject>();
    QElapsedTimer clock;
    clock.start();
    qint64 firedAfter = -1;
    bool orphanRan = false;
    scheduler.schedule(50ms, context.get(), [&] { firedAfter = clock.elapsed(); });
    {
        QObject orphan;
        scheduler.schedule(10ms, &orphan, [&] { orphanRan = true; });
    }
    int ticks = 0;
    auto timer = scheduler.repeat(20ms, 0ms, [&] { ++ticks; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return firedAfter >= 0 && ticks >= 3; }, 5000));
    EXPECT_GE(firedAfter, 45);
    EXPECT_FALSE(orphanRan);
    timer.reset();
    const int stoppedAt = ticks;
    QTest::qWait(80);
    EXPECT_EQ(ticks, stoppedAt);
    EXPECT_GE(scheduler.now(), 50ms);
}

} // namespace
