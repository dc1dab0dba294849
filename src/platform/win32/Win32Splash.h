#pragma once
// The splash window on a thread of its own.
//
// Implements: the thread (input attached to the starting thread's), the invisible
//   owner, the top-most pop-up of the picture's size centred on the work area, the
//   picture as a DIB section with its palette, the version text, the layered fade.
// Does not implement: a caption bar (the splash has none).
#include "../SplashPort.h"

class CWin32SplashPort : public ISplashPort {
public:
    static constexpr const wchar_t* kSplashClass = L"OrvantaSplash";
    static constexpr const wchar_t* kOwnerClass = L"OrvantaSplashOwner";
    bool Start(const SplashSpec& desc, std::shared_ptr<ISplashEvents> events) override;
};
