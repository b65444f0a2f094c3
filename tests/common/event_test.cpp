#include "common/event.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using common::Event;

TEST(Event, AutoResets)
{
    Event e;
    EXPECT_FALSE(e.wait(0));
    e.set();
    EXPECT_TRUE(e.isSet());
    EXPECT_TRUE(e.wait(0));
    EXPECT_FALSE(e.isSet()); // the successful wait reset it
    EXPECT_FALSE(e.wait(10));
    e.set();
    e.reset();
    EXPECT_FALSE(e.wait(0));
}

TEST(Event, WakesAWaiterOnAnotherThread)
{
    Event e;
    std::atomic<bool> woke{false};
    std::thread waiter([&] { woke = e.wait(5000); });
    e.set();
    waiter.join();
    EXPECT_TRUE(woke);
}

TEST(Event, SetBeforeWaitIsNotLost)
{
    Event e;
    e.set();
    std::thread waiter([&] { EXPECT_TRUE(e.wait(5000)); });
    waiter.join();
}
