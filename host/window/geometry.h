// Where the 800 × 480 screen sits inside a window of any size: scaled as large as fits with its
// aspect kept, centred, black bars on the two other sides.
#pragma once

namespace host {

inline constexpr int kScreenWidth = 800;
inline constexpr int kScreenHeight = 480;

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

// The picture's rectangle in an output of outWidth × outHeight pixels. Empty for an empty output.
Rect letterbox(int outWidth, int outHeight, int srcWidth = kScreenWidth, int srcHeight = kScreenHeight);

// A window position (in the output's pixels) as a screen position: scaled back through the
// picture's rectangle and clamped to the screen, so a pen on a bar lands on the nearest edge.
struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};
Point windowToScreen(const Rect& picture, int windowX, int windowY, int srcWidth = kScreenWidth,
                     int srcHeight = kScreenHeight);

}  // namespace host
