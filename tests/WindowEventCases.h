#pragma once
// What every window kit must decode: each raw message (the Win32 numbers and layouts
// both kits use) and the typed event it becomes, written as a line by EventLog.
// Included by the win32 and the posix kit's tests, which deliver the same table to
// real windows of their kit.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/WindowKit.h"

// Every typed event a window receives, one line each; each is taken.
struct EventLog : IWindowEvents {
    std::vector<std::string> lines;
    std::vector<std::string> texts; // the texts program messages carried
    void Add(const std::string& line) { lines.push_back(line); }
    static std::string Point(WindowPoint p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

    bool OnTimer(unsigned id) override { return Add("timer " + std::to_string(id)), true; }
    bool OnCommand(unsigned id, intptr_t argument) override {
        return Add("command " + std::to_string(id) + " " + std::to_string(argument)), true;
    }
    bool OnClose() override { return Add("close"), true; }
    std::optional<bool> OnQueryEndSession() override { return Add("query end session"), true; }
    bool OnEndSession(bool ending) override { return Add(ending ? "end session" : "session goes on"), true; }
    bool OnSettingChange(unsigned action) override { return Add("setting " + std::to_string(action)), true; }
    bool OnDisplayChange(const DisplayChange& d) override {
        return Add("display " + std::to_string(d.width) + "x" + std::to_string(d.height) + "x" +
                   std::to_string(d.bitsPerPixel)),
               true;
    }
    bool OnSessionChange(SessionChange kind) override {
        return Add(kind == SessionChange::Lock     ? "session lock"
                   : kind == SessionChange::Unlock ? "session unlock"
                                                   : "session other"),
               true;
    }
    bool OnMouse(const MouseEvent& m) override {
        static const char* const kActions[] = {"move", "left down", "left up", "left double", "right down", "right up"};
        return Add(std::string("mouse ") + kActions[static_cast<int>(m.action)] + " " + Point(m.point)), true;
    }
    bool OnAppMessage(const AppMessage& m) override {
        std::string line = "app " + std::to_string(m.msg) + " " + std::to_string(m.wParam) + " " +
                           std::to_string(m.lParam) + " at " + Point(m.Point());
        if (m.text) texts.emplace_back(*m.text);
        return Add(line), true;
    }
};

struct WindowEventCase {
    unsigned msg;
    uintptr_t wParam;
    intptr_t lParam;
    std::string event; // what EventLog writes; empty: no event (the platform's own)
    intptr_t result = 0;
};

inline intptr_t PackedPoint(int x, int y) {
    return static_cast<intptr_t>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16) |
                                 static_cast<std::uint16_t>(x));
}

// The lines a list of cases leaves, in order.
inline std::vector<std::string> EventsOf(const std::vector<WindowEventCase>& cases) {
    std::vector<std::string> events;
    for (const auto& c : cases)
        if (!c.event.empty()) events.push_back(c.event);
    return events;
}

inline const std::vector<WindowEventCase>& WindowEventCases() {
    static const std::vector<WindowEventCase> cases = {
        {Msg::Timer, 105, 0, "timer 105"},
        // A menu's command has its notification code in the high word.
        {Msg::Command, 0x10000u | 32790u, 0, "command 32790 0"},
        {Msg::Command, 32790, 2, "command 32790 2"},
        {Msg::Close, 0, 0, "close"},
        {Msg::QueryEndSession, 0, 0, "query end session", 1},
        {Msg::EndSession, 1, 0, "end session"},
        {Msg::EndSession, 0, 0, "session goes on"},
        {Msg::SettingChange, 20, 0, "setting 20"},
        {Msg::DisplayChange, 32, PackedPoint(1024, 768), "display 1024x768x32"},
        {Msg::SessionChange, 7, 0, "session lock"},
        {Msg::SessionChange, 8, 0, "session unlock"},
        {Msg::SessionChange, 5, 0, "session other"},
        {Msg::MouseMove, 0, PackedPoint(-5, 300), "mouse move -5,300"},
        {Msg::LButtonDown, 1, PackedPoint(1, 2), "mouse left down 1,2"},
        {Msg::LButtonUp, 0, PackedPoint(3, -4), "mouse left up 3,-4"},
        {Msg::LButtonDblClk, 1, PackedPoint(10, 20), "mouse left double 10,20"},
        {Msg::RButtonDown, 2, PackedPoint(0, 0), "mouse right down 0,0"},
        {Msg::RButtonUp, 0, PackedPoint(640, 480), "mouse right up 640,480"},
        // The program's numbers, the tray's callback and a registered number: plain
        // numbers, the second also read as a point; no text unless SendText sent it.
        {0x0501, 0, 0, "app 1281 0 0 at 0,0"},
        {0x0511, 0, 1, "app 1297 0 1 at 1,0"},
        {0x8001, 195, Msg::RButtonUp, "app 32769 195 517 at 517,0"},
        {0xC123, 77, PackedPoint(-2, 9), "app 49443 77 " + std::to_string(PackedPoint(-2, 9)) + " at -2,9"},
        {Msg::Null, 0, 0, ""},
    };
    return cases;
}
