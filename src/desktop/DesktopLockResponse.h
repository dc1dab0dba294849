#pragma once
// What the main window does when the desktop is reported locked or unlocked: the
// decision alone, as a list of steps the window carries out in order.
#include <vector>

enum class LockStep {
    StopRefreshTimer,
    HideDataInMemory,  // "Hide Data" TRUE, not saved
    RemoveHook,        // only with "Use Interactive Desktop"
    RestoreWallpaper,  // the user's own picture
    MarkHiddenByLock,
    ShowDataInMemory,  // "Hide Data" FALSE, not saved
    ClearHiddenByLock,
    InstallWallpaper,  // the composed picture
    InstallHook,       // only with "Use Interactive Desktop"
    StartRefreshTimer, // at "Refresh" seconds
};

struct LockState {
    bool hideOnDesktopLock = false; // "Hide On Desktop Lock"
    bool hideData = false;          // "Hide Data", as now in memory
    bool useInteractiveDesktop = false;
    bool hiddenByLock = false;
};

class CDesktopLockResponse {
public:
    // Nothing unless "Hide On Desktop Lock"; a lock hides data that are shown (and
    // only those: data the user hid stay the user's business); an unlock shows again
    // only what a lock hid. Repeated reports of the same state do nothing.
    static std::vector<LockStep> Steps(const LockState& state, bool locked);
};
