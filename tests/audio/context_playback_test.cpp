// The browser's stream state and position against a simulated audio context: it reports the time
// being heard every quantum, an output latency behind what it schedules.
#include "platform/audio/context_playback.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using audio::ContextPlayback;
using audio::NodeCommand;
using State = ContextPlayback::State;
constexpr double kRate = 44100.0;
constexpr int64_t kPeriod = 1024;
constexpr double kLatency = 0.05;
constexpr double kQuantum = 0.01;
constexpr int64_t kLength = 10 * 44100;

// The context at page time `wall` (its clock runs with the page's); stalledSince: it reports
// nothing new after that time.
audio::ContextTime At(double wall, double stalledSince = 1e9) {
    const double reportedWall = std::min(wall, stalledSince);
    const double heard = std::floor((reportedWall - kLatency) / kQuantum) * kQuantum;
    return {heard, heard + kLatency, std::floor(wall / kQuantum) * kQuantum, wall};
}

NodeCommand Start(int64_t frame) {
    return {NodeCommand::Kind::Start, frame};
}
const NodeCommand kStop{NodeCommand::Kind::Stop, 0};
const NodeCommand kNone{};

// The frame heard at page time `wall` from a node started on `frame` at page time `startWall`.
int64_t Heard(double wall, double startWall, int64_t frame) {
    const double started = At(startWall).scheduled;
    return frame + static_cast<int64_t>(std::max(0.0, wall - kLatency - started) * kRate);
}

}  // namespace

TEST(ContextPlayback, FollowsWhatIsHeardSmoothlyBetweenReportsAndNeverBack) {
    ContextPlayback p(kLength, kPeriod);
    EXPECT_EQ(p.StateAt(At(1.0)), State::Stopped);
    EXPECT_EQ(p.Play(false, At(1.0)), Start(0));
    EXPECT_EQ(p.Position(At(1.02)), 0);  // still inside the output latency
    int64_t last = 0;
    for (double wall = 1.1; wall < 3.0; wall += 0.0007) {
        const int64_t position = p.Position(At(wall));
        EXPECT_GE(position, last) << wall;
        EXPECT_NEAR(position, Heard(wall, 1.0, 0), 2) << wall;
        last = position;
    }
    EXPECT_EQ(p.StateAt(At(3.0)), State::Playing);
}

TEST(ContextPlayback, RunsOnAtMostOnePeriodWhenTheContextStalls) {
    ContextPlayback p(kLength, kPeriod);
    p.Play(false, At(0.0));
    const int64_t atStall = p.Position(At(1.0, 1.0));
    const int64_t later = p.Position(At(1.5, 1.0));
    EXPECT_GT(later, atStall);
    EXPECT_LE(later, atStall + kPeriod);
    EXPECT_EQ(p.Position(At(2.5, 1.0)), later);
    EXPECT_NEAR(p.Position(At(3.0)), Heard(3.0, 0.0, 0), 2);  // reports again: back in step
}

TEST(ContextPlayback, PauseFreezesAndResumeStartsTheNodeWhereItStopped) {
    ContextPlayback p(kLength, kPeriod);
    p.Play(false, At(0.0));
    const int64_t frozen = p.Position(At(2.0));
    EXPECT_EQ(p.Pause(At(2.0)), kStop);
    EXPECT_EQ(p.Pause(At(2.1)), kNone);  // not playing: nothing to stop
    EXPECT_EQ(p.StateAt(At(3.0)), State::Paused);
    EXPECT_EQ(p.Position(At(3.0)), frozen);
    EXPECT_EQ(p.Play(false, At(3.0)), Start(frozen));
    EXPECT_EQ(p.Play(false, At(3.01)), kNone);  // already playing
    EXPECT_EQ(p.Position(At(3.02)), frozen);    // nothing new heard yet: no step back or ahead
    EXPECT_NEAR(p.Position(At(4.0)), Heard(4.0, 3.0, frozen), 2);
}

TEST(ContextPlayback, SeeksKeepTheStateAndRefuseFramesPastTheEnd) {
    ContextPlayback p(kLength, kPeriod);
    NodeCommand command = Start(-1);
    ASSERT_TRUE(p.SetPosition(5000, At(0.0), &command));  // stopped: nothing plays
    EXPECT_EQ(command, kNone);
    EXPECT_EQ(p.Position(At(1.0)), 5000);
    EXPECT_EQ(p.Play(false, At(1.0)), Start(5000));
    ASSERT_TRUE(p.SetPosition(kLength / 2, At(2.0), &command));  // playing: the node moves
    EXPECT_EQ(command, Start(kLength / 2));
    EXPECT_EQ(p.Position(At(2.0)), kLength / 2);  // a seek back is the one step back allowed
    EXPECT_NEAR(p.Position(At(3.0)), Heard(3.0, 2.0, kLength / 2), 2);
    p.Pause(At(3.0));
    ASSERT_TRUE(p.SetPosition(100, At(3.5), &command));
    EXPECT_EQ(command, kNone);
    EXPECT_EQ(p.StateAt(At(4.0)), State::Paused);
    EXPECT_EQ(p.Position(At(4.0)), 100);
    EXPECT_FALSE(p.SetPosition(kLength + 1, At(4.0), &command));
    EXPECT_FALSE(p.SetPosition(-1, At(4.0), &command));
    EXPECT_EQ(p.Position(At(4.0)), 100);
}

TEST(ContextPlayback, StopsAtTheEndAndOnlyARestartPlaysAgain) {
    ContextPlayback p(kLength, kPeriod);
    p.Play(false, At(0.0));
    EXPECT_EQ(p.StateAt(At(9.0)), State::Playing);
    EXPECT_EQ(p.StateAt(At(10.5)), State::Stopped);
    EXPECT_EQ(p.Position(At(11.0)), kLength);
    EXPECT_EQ(p.Play(false, At(11.0)), kStop);
    EXPECT_EQ(p.StateAt(At(11.5)), State::Stopped);
    EXPECT_EQ(p.Play(true, At(12.0)), Start(0));
    EXPECT_EQ(p.StateAt(At(12.5)), State::Playing);
    EXPECT_NEAR(p.Position(At(13.0)), Heard(13.0, 12.0, 0), 2);
}
