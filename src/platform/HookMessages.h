#pragma once
// The four registered messages of the mouse-hook library, spelled once for
// the program and for hook/MouseHook.dll, which registers the same names.
namespace HookMessages {
// First parameter: the mouse message seen (0x200 for a move); second: the point.
inline constexpr const char kMouseMove[] = "UWM_MOUSEMOVE_MSG-9AE594A5_B5DB_11D5_A76D_A32DB15C6A5D_01";
// First parameter: the window under the mouse; second: the point in its client area.
inline constexpr const char kClick[] = "UWM_MOUSEMOVE_MSG-9AE594A5_B5DB_11D5_A76D_A32DB15C6A5D_02";
inline constexpr const char kDoubleClick[] = "UWM_MOUSEMOVE_MSG-9AE594A5_B5DB_11D5_A76D_A32DB15C6A5D_04";
// Second parameter: hides the tooltip when not negative.
inline constexpr const char kOtherEvent[] = "UWM_MOUSEEVENT_MSG-9AE594A5_B5DB_11D5_A76D_A32DB15C6A5D_10";
// The library's file and its three functions.
inline constexpr const char kLibrary[] = "MouseHook.dll";
} // namespace HookMessages
