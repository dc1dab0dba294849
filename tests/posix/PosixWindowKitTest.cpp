// The Linux event loop for real: timers on the steady clock, posts from other
// threads, sending, registered messages, a throwing handler, the end of the loop.
#include <gtest/gtest.h>

#include <csignal>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "WindowEventCases.h"
#include "platform/posix/PosixWindowKit.h"

namespace {

using Clock = std::chrono::steady_clock;

// The timers and program messages as numbers, as the test below checks them.
struct Events : IWindowEvents {
    std::function<bool(unsigned, uintptr_t, intptr_t)> handle;
    bool Handle(unsigned msg, uintptr_t wp, intptr_t lp) { return handle ? handle(msg, wp, lp) : false; }
    bool OnTimer(unsigned id) override { return Handle(Msg::Timer, id, 0); }
    bool OnAppMessage(const AppMessage& m) override { return Handle(m.msg, m.wParam, m.lParam); }
};

// The main window catches the stop signals; the tests that start the program judge its
// readiness by the signals it catches, so this process gives them back afterwards.
class KeepSignals {
public:
    KeepSignals() {
        for (size_t i = 0; i < 3; ++i) sigaction(kSignals[i], nullptr, &m_saved[i]);
    }
    ~KeepSignals() {
        for (size_t i = 0; i < 3; ++i) sigaction(kSignals[i], &m_saved[i], nullptr);
    }

private:
    static constexpr int kSignals[3] = {SIGTERM, SIGINT, SIGHUP};
    struct sigaction m_saved[3] {};
};

TEST(PosixWindowKit, TimersPostsAndTheEndOfTheLoop) {
    KeepSignals keep;
    CPosixWindowKit kit;
    Events main, other;
    auto window = kit.MakeWindow(WindowDesc{"main", true}, main);
    auto second = kit.MakeWindow(WindowDesc{"other", false}, other);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->Handle(), second->Handle());

    std::vector<Clock::time_point> fast;
    int slow = 0, posted = 0, fromThread = 0;
    const auto start = Clock::now();
    std::thread poster;
    main.handle = [&](unsigned msg, uintptr_t wp, intptr_t lp) {
        if (msg == Msg::Timer && wp == 1) {
            fast.push_back(Clock::now());
            if (fast.size() == 5) window->KillTimer(1);
        } else if (msg == Msg::Timer && wp == 2) {
            ++slow;
            if (slow == 1) poster = std::thread([&] { window->Post(0x8002, 9, 0); });
        } else if (msg == 0x8001) {
            posted += static_cast<int>(lp);
        } else if (msg == 0x8002) {
            ++fromThread;
            if (msg == 0x8002 && wp == 9) window->Post(Msg::Close);
        } else if (msg == 0x8003) {
            throw std::runtime_error("a handler that fails");
        } else {
            return false;
        }
        return true;
    };
    ASSERT_TRUE(window->SetTimer(1, 20));
    ASSERT_TRUE(window->SetTimer(2, 250));
    EXPECT_TRUE(window->Post(0x8001, 0, 3));
    EXPECT_EQ(posted, 0); // delivered by the loop, not at once
    window->Send(0x8001, 0, 4);
    EXPECT_EQ(posted, 4);
    EXPECT_EQ(window->Send(0x8003), 0); // caught at the loop's edge
    EXPECT_EQ(kit.RunMessageLoop(), 0); // the close from the other thread's post ends it
    poster.join();
    const auto took = Clock::now() - start;

    EXPECT_EQ(posted, 7);
    EXPECT_EQ(fromThread, 1);
    ASSERT_EQ(fast.size(), 5u); // killed after the fifth
    for (size_t i = 1; i < fast.size(); ++i) EXPECT_GE(fast[i] - fast[i - 1], std::chrono::milliseconds(19));
    EXPECT_EQ(slow, 1);
    EXPECT_GE(took, std::chrono::milliseconds(250));
    EXPECT_LT(took, std::chrono::seconds(5));

    EXPECT_EQ(kit.RegisterMessage("TaskbarCreated"), kit.RegisterMessage("TaskbarCreated"));
    EXPECT_NE(kit.RegisterMessage("TaskbarCreated"), kit.RegisterMessage("Another"));
    EXPECT_GE(kit.RegisterMessage("Another"), 0xC000u);
    // The window that went is no longer answered.
    EXPECT_EQ(window->Send(0x8001, 0, 1), 0);
    EXPECT_EQ(posted, 7);
}

// Each message, sent and posted, reaches the handler as its typed event; a text goes
// with a SendText only.
TEST(PosixWindowKit, DecodesEachMessageIntoItsEvent) {
    KeepSignals keep;
    CPosixWindowKit kit;
    EventLog events;
    auto window = kit.MakeWindow(WindowDesc{"events", true}, events);
    ASSERT_NE(window, nullptr);
    const auto& cases = WindowEventCases();
    for (const auto& c : cases) {
        events.lines.clear();
        EXPECT_EQ(window->Send(c.msg, c.wParam, c.lParam), c.result) << c.event;
        EXPECT_EQ(events.lines, EventsOf({c})) << c.msg;
    }
    events.lines.clear();
    EXPECT_EQ(window->SendText(0x504, "00000000A1B2"), 0);
    EXPECT_EQ(events.texts, std::vector<std::string>{"00000000A1B2"});

    // Posted, then a second window ends the loop behind them.
    struct Stop : IWindowEvents {
        IWindow* main = nullptr;
        bool OnAppMessage(const AppMessage&) override { return main->Destroy(), true; }
    } stop;
    stop.main = window.get();
    auto stopper = kit.MakeWindow(WindowDesc{"stop", false}, stop);
    events.lines.clear();
    for (const auto& c : cases) EXPECT_TRUE(window->Post(c.msg, c.wParam, c.lParam));
    stopper->Post(0x8000);
    EXPECT_EQ(kit.RunMessageLoop(), 0);
    EXPECT_EQ(events.lines, EventsOf(cases));
    EXPECT_EQ(events.texts.size(), 1u);
}

} // namespace
