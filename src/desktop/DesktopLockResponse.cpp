#include "DesktopLockResponse.h"

std::vector<LockStep> CDesktopLockResponse::Steps(const LockState& s, bool locked) {
    std::vector<LockStep> steps;
    if (!s.hideOnDesktopLock) return steps;
    if (locked) {
        if (s.hideData) return steps; // hidden already, by the user or by an earlier lock
        steps.push_back(LockStep::StopRefreshTimer);
        steps.push_back(LockStep::HideDataInMemory);
        if (s.useInteractiveDesktop) steps.push_back(LockStep::RemoveHook);
        // Marked before the restore: the system's notice of the new wallpaper must
        // find the data hidden by the lock, or it would be taken for the user's change.
        steps.push_back(LockStep::MarkHiddenByLock);
        steps.push_back(LockStep::RestoreWallpaper);
        return steps;
    }
    if (!s.hiddenByLock) return steps;
    steps.push_back(LockStep::ShowDataInMemory);
    steps.push_back(LockStep::ClearHiddenByLock);
    steps.push_back(LockStep::InstallWallpaper);
    if (s.useInteractiveDesktop) steps.push_back(LockStep::InstallHook);
    steps.push_back(LockStep::StartRefreshTimer);
    return steps;
}
