// Pure helpers of the Windows input: where the real cursor goes for a pixel of the drawing
// window, SendInput's absolute coordinates, and the keys that choose an item of a pop-up menu.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace qlhost::win {

// A pixel of a window of width x height clamped into it (a scripted view may be larger
// than the screen, but input outside the window would reach no hook of the host's thread).
inline int ClampPixel(int value, int extent) { return extent <= 0 ? 0 : std::clamp(value, 0, extent - 1); }

// MOUSEEVENTF_ABSOLUTE coordinate (0 to 65535 across the screen) of a screen pixel, rounded
// up so the conversion back (value * extent / 65536) lands on the same pixel.
inline int32_t AbsoluteCoordinate(int pixel, int extent) {
    if (extent <= 1) return 0;
    const int64_t p = std::clamp(pixel, 0, extent - 1);
    return static_cast<int32_t>((p * 65536 + extent - 1) / extent);
}

// VK_DOWN presses that highlight item `index` of a freshly opened menu (the first press
// highlights the first item; separators are stepped over); 0 when the index is no item to
// choose.
inline int DownPressesFor(const std::vector<bool>& separators, int index) {
    if (index < 0 || static_cast<size_t>(index) >= separators.size() || separators[static_cast<size_t>(index)]) return 0;
    int presses = 0;
    for (int i = 0; i <= index; ++i)
        if (!separators[static_cast<size_t>(i)]) ++presses;
    return presses;
}

}  // namespace qlhost::win
