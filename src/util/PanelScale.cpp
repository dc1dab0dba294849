#include "PanelScale.h"

#include <algorithm>
#include <cstdlib>

int CPanelScale::ForDpi(int dpi) {
    if (dpi <= 0) return kMin;
    // Per cent of 96 DPI, to the nearest step of 25 %.
    const int percent = (dpi * 100 + 48) / 96;
    return std::clamp((percent + 12) / 25 * 25, kMin, kMax);
}

int CPanelScale::Choose(int setting, int monitorDpi) {
    return setting >= kMin && setting <= kMax ? setting : ForDpi(monitorDpi);
}

int CPanelScale::Length(int length, int scale) {
    if (scale == 100) return length;
    const long long scaled = static_cast<long long>(length) * scale;
    return static_cast<int>(scaled >= 0 ? (scaled + 50) / 100 : -((-scaled + 50) / 100));
}

int CPanelScale::Fitting(int scale, int width, int height, int areaWidth, int areaHeight) {
    int s = scale;
    while (s > kMin && (Length(width, s) > areaWidth || Length(height, s) > areaHeight)) {
        // Down to the step below (a fixed scale between steps first to its own step).
        const int offStep = (s - kMin) % 25;
        s = std::max(kMin, s - (offStep ? offStep : 25));
    }
    return s;
}

int CPanelScale::NearestDrawn(int scale) {
    int best = kDrawnScales[0];
    for (int drawn : kDrawnScales)
        if (std::abs(drawn - scale) <= std::abs(best - scale)) best = drawn;
    return best;
}
