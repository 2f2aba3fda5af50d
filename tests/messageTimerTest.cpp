#include "messageTimer.h"

#include <QtTest>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

class MessageTimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        timer.setHandler([this] { ticks.push_back(clock.now()); });
    }
    ManualTimerClock clock;
    MessageTimer timer;
    std::vector<qint64> ticks;
};

struct AssignCase {
    const char* name;
    std::function<void(MessageTimer&)> assign;
    bool restarts;
};

class AssignTest : public MessageTimerTest, public ::testing::WithParamInterface<AssignCase> {};

TEST_P(AssignTest, OnlyAChangeOrANewHandlerStartsThePeriodAfresh) {
    const AssignCase& c = GetParam();
    timer.setInterval(100);
    clock.advance(60);
    c.assign(timer);
    clock.advance(40);
    if (c.restarts)
        EXPECT_TRUE(ticks.empty());
    else
        EXPECT_EQ(ticks, std::vector<qint64>{100});
}

INSTANTIATE_TEST_SUITE_P(
    Assignments, AssignTest,
    ::testing::Values(
        AssignCase{"same_interval", [](MessageTimer& t) { t.setInterval(100); }, false},
        AssignCase{"same_enabled_flag", [](MessageTimer& t) { t.setEnabled(true); }, false},
        AssignCase{"other_interval", [](MessageTimer& t) { t.setInterval(90); }, true},
        AssignCase{"handler", [](MessageTimer& t) { t.setHandler([] {}); }, true},
        AssignCase{"disable_and_enable",
                   [](MessageTimer& t) {
                       t.setEnabled(false);
                       t.setEnabled(true);
                   },
                   true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessageTimerTest, TicksEveryPeriodAndNotWhenDisabledOrZero) {
    timer.setInterval(100);
    clock.advance(350);
    EXPECT_EQ(ticks, (std::vector<qint64>{100, 200, 300}));
    timer.setEnabled(false);
    clock.advance(500);
    timer.setEnabled(true);
    timer.setInterval(0);
    clock.advance(500);
    EXPECT_EQ(ticks.size(), 3u);
    EXPECT_FALSE(timer.running());
}

// On the real clock a busy machine makes ticks late, never early.
TEST(MessageTimerRealClock, TicksNoEarlierThanItsPeriods) {
    QElapsedTimer since;
    std::vector<qint64> ticks;
    MessageTimer timer;
    timer.setInterval(50);
    since.start(); // before the handler starts the period, so no tick can precede it
    timer.setHandler([&] { ticks.push_back(since.elapsed()); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks.size() >= 3; }));
    // A millisecond of slack: the clocks here and in the timer round on their own.
    for (size_t k = 0; k < ticks.size(); ++k)
        EXPECT_GE(ticks[k], 50 * qint64(k + 1) - 1);
}

} // namespace
