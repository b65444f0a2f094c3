#include "vardo/app/console_frontend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace vardo {
namespace {

using namespace std::chrono_literals;

ConsoleFrontend::Options quiet(std::optional<Answer> answer = std::nullopt, bool agree = false)
{
    ConsoleFrontend::Options o;
    o.answer = answer;
    o.agree = agree;
    o.quiet = true;
    return o;
}

// Polls until the condition holds or two seconds pass.
template <typename F> bool eventually(F condition)
{
    auto until = std::chrono::steady_clock::now() + 2s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

TEST(ConsoleFrontendTest, TimersRepeatUntilKilledOnTheLoopThread)
{
    ConsoleFrontend fe(quiet());
    std::atomic<int> fast{0}, slow{0}, marker{0};
    std::atomic<bool> onCallerThread{false};
    const auto caller = std::this_thread::get_id();
    fe.setTimerHandler([&](int id) {
        if (std::this_thread::get_id() == caller)
            onCallerThread = true;
        (id == 1 ? fast : id == 2 ? slow : marker)++;
    });
    fe.startTimer(1, 5);
    fe.startTimer(2, 40);
    ASSERT_TRUE(eventually([&] { return fast >= 4; }));
    fe.killTimer(1);
    int killedAt = fast;
    // A timer of the same interval keeps firing meanwhile: the killed one
    // had as many chances to fire.
    fe.startTimer(3, 5);
    ASSERT_TRUE(eventually([&] { return marker >= 6; }));
    // At most one round that was already being delivered.
    EXPECT_LE(fast, killedAt + 1);
    EXPECT_TRUE(eventually([&] { return slow >= 2; }));
    EXPECT_FALSE(onCallerThread);
}

TEST(ConsoleFrontendTest, TimerKilledFromItsOwnHandlerFiresOnce)
{
    ConsoleFrontend fe(quiet());
    std::atomic<int> fired{0}, marker{0};
    fe.setTimerHandler([&](int id) {
        if (id != 7) {
            ++marker;
            return;
        }
        ++fired;
        fe.killTimer(id);
    });
    fe.startTimer(7, 1);
    ASSERT_TRUE(eventually([&] { return fired >= 1; }));
    // Another timer of the same interval fires again and again meanwhile.
    fe.startTimer(8, 1);
    ASSERT_TRUE(eventually([&] { return marker >= 10; }));
    EXPECT_EQ(fired, 1);
}

TEST(ConsoleFrontendTest, PostedCommandsArriveInOrder)
{
    ConsoleFrontend fe(quiet());
    std::mutex m;
    std::vector<int> got;
    fe.setCommandHandler([&](int id) {
        std::lock_guard lock(m);
        got.push_back(id);
    });
    for (int id : {32836, 32869, 57665})
        fe.postCommand(id);
    ASSERT_TRUE(eventually([&] {
        std::lock_guard lock(m);
        return got.size() == 3;
    }));
    std::lock_guard lock(m);
    EXPECT_EQ(got, (std::vector<int>{32836, 32869, 57665}));
}

TEST(ConsoleFrontendTest, DestructorStopsRunningTimers)
{
    std::atomic<int> fired{0};
    // The handler holds a token: once every copy of the handler is gone,
    // nothing is left that could fire it.
    auto token = std::make_shared<int>(0);
    const std::weak_ptr<int> handlerAlive = token;
    {
        ConsoleFrontend fe(quiet());
        fe.setTimerHandler([&fired, token](int) { ++fired; });
        token.reset();
        fe.startTimer(3, 1);
        ASSERT_TRUE(eventually([&] { return fired > 0; }));
    }
    EXPECT_TRUE(handlerAlive.expired());
}

TEST(ConsoleFrontendTest, AnswersFollowTheOptions)
{
    ConsoleFrontend none(quiet());
    EXPECT_EQ(none.ask("q", Buttons::YesNo, Icon::Question), Answer::No);
    EXPECT_EQ(none.ask("q", Buttons::YesNoCancel, Icon::Question), Answer::Cancel);
    EXPECT_EQ(none.ask("q", Buttons::OkCancel, Icon::Question), Answer::Cancel);
    EXPECT_EQ(none.ask("q", Buttons::Ok, Icon::Question), Answer::Ok);

    ConsoleFrontend yes(quiet(Answer::Yes));
    EXPECT_EQ(yes.ask("q", Buttons::YesNo, Icon::Question), Answer::Yes);
    EXPECT_EQ(yes.ask("q", Buttons::OkCancel, Icon::Question), Answer::Ok);

    ConsoleFrontend no(quiet(Answer::No));
    EXPECT_EQ(no.ask("q", Buttons::YesNoCancel, Icon::Question), Answer::No);
    EXPECT_EQ(no.ask("q", Buttons::OkCancel, Icon::Question), Answer::Cancel);
}

TEST(ConsoleFrontendTest, DisclaimerOnlyWithAgree)
{
    ConsoleFrontend refuse(quiet());
    EXPECT_FALSE(refuse.showDisclaimer());
    ConsoleFrontend agree(quiet(std::nullopt, true));
    EXPECT_TRUE(agree.showDisclaimer());
}

TEST(ConsoleFrontendTest, MessagesAreRecordedPrefixedAndObserved)
{
    ConsoleFrontend::Options o;
    ConsoleFrontend fe(o);
    std::vector<std::string> observed;
    fe.setMessageObserver([&](const std::string& t) { observed.push_back(t); });
    ::testing::internal::CaptureStderr();
    fe.showMessage("ファイル[x]が見つかりません", Icon::Stop);
    EXPECT_FALSE(fe.showNotice("notice text"));
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[stop] ファイル[x]が見つかりません"), std::string::npos);
    EXPECT_EQ(fe.messages(),
              (std::vector<std::string>{"ファイル[x]が見つかりません", "notice text"}));
    EXPECT_EQ(observed, fe.messages());
}

TEST(ConsoleFrontendTest, StatusTextsArePrintedAndObservedButAreNoMessages)
{
    ConsoleFrontend::Options o;
    ConsoleFrontend fe(o);
    std::vector<std::string> observed;
    fe.setStatusObserver([&](const std::string& t) { observed.push_back(t); });
    ::testing::internal::CaptureStderr();
    fe.setStatusText("標準インタフェイスに再接続しました");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[status] 標準インタフェイスに再接続しました"), std::string::npos);
    EXPECT_EQ(observed, (std::vector<std::string>{"標準インタフェイスに再接続しました"}));
    EXPECT_TRUE(fe.messages().empty());
}

TEST(ConsoleFrontendTest, QuitIsSeenByWaiters)
{
    ConsoleFrontend fe(quiet());
    EXPECT_FALSE(fe.quitRequested());
    EXPECT_FALSE(fe.waitForQuit(5));
    std::thread t([&] {
        std::this_thread::sleep_for(10ms);
        fe.requestQuit();
    });
    EXPECT_TRUE(fe.waitForQuit(2000));
    t.join();
    EXPECT_TRUE(fe.quitRequested());
}

TEST(ConsoleFrontendTest, TakeOptionsRemovesItsFlags)
{
    std::vector<std::string> args = {"--agree", "-e", "--no", "-i/v.avi", "--yes"};
    ConsoleFrontend::Options o = ConsoleFrontend::takeOptions(args);
    EXPECT_TRUE(o.agree);
    ASSERT_TRUE(o.answer.has_value());
    EXPECT_EQ(*o.answer, Answer::Yes); // the last one given
    EXPECT_EQ(args, (std::vector<std::string>{"-e", "-i/v.avi"}));
}

} // namespace
} // namespace vardo
