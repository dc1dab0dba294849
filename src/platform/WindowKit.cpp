#include "WindowKit.h"

namespace {
constexpr unsigned kLastMessage = 0xFFFF; // registered messages end here

bool Mouse(IWindowEvents& events, MouseAction action, intptr_t lParam) {
    return events.OnMouse(MouseEvent{action, UnpackPoint(static_cast<std::int64_t>(lParam))});
}
} // namespace

bool DeliverWindowMessage(IWindowEvents& events, unsigned msg, uintptr_t wp, intptr_t lp, intptr_t& result,
                          std::optional<std::string_view> text) {
    result = 0;
    switch (msg) {
    case Msg::Timer: return events.OnTimer(static_cast<unsigned>(wp));
    case Msg::Command: return events.OnCommand(static_cast<unsigned>(wp & 0xFFFF), lp);
    case Msg::Close: return events.OnClose();
    case Msg::QueryEndSession: {
        const std::optional<bool> mayEnd = events.OnQueryEndSession();
        if (!mayEnd) return false;
        result = *mayEnd ? 1 : 0;
        return true;
    }
    case Msg::EndSession: return events.OnEndSession(wp != 0);
    case Msg::SettingChange: return events.OnSettingChange(static_cast<unsigned>(wp));
    case Msg::DisplayChange:
        return events.OnDisplayChange(DisplayChange{static_cast<int>(wp), static_cast<int>(lp & 0xFFFF),
                                                    static_cast<int>((lp >> 16) & 0xFFFF)});
    case Msg::DpiChanged: return events.OnDisplayChange(DisplayChange{});
    case Msg::SessionChange:
        return events.OnSessionChange(wp == SessionCode::Lock     ? SessionChange::Lock
                                      : wp == SessionCode::Unlock ? SessionChange::Unlock
                                                             : SessionChange::Other);
    case Msg::MouseMove: return Mouse(events, MouseAction::Move, lp);
    case Msg::LButtonDown: return Mouse(events, MouseAction::LeftDown, lp);
    case Msg::LButtonUp: return Mouse(events, MouseAction::LeftUp, lp);
    case Msg::LButtonDblClk: return Mouse(events, MouseAction::LeftDoubleClick, lp);
    case Msg::RButtonDown: return Mouse(events, MouseAction::RightDown, lp);
    case Msg::RButtonUp: return Mouse(events, MouseAction::RightUp, lp);
    default: break;
    }
    if (msg >= Msg::User && msg <= kLastMessage) return events.OnAppMessage(AppMessage{msg, wp, lp, text});
    return false; // the platform's own messages
}
