#include "host/window/geometry.h"

#include <algorithm>
#include <cstdint>

namespace host {

Rect letterbox(int outWidth, int outHeight, int srcWidth, int srcHeight) {
    if (outWidth <= 0 || outHeight <= 0 || srcWidth <= 0 || srcHeight <= 0) return {};
    Rect r;
    // Width-limited when out is relatively narrower than the source; 64-bit products avoid overflow.
    if (int64_t(outWidth) * srcHeight <= int64_t(outHeight) * srcWidth) {
        r.width = outWidth;
        r.height = static_cast<int>((int64_t(outWidth) * srcHeight + srcWidth / 2) / srcWidth);
    } else {
        r.height = outHeight;
        r.width = static_cast<int>((int64_t(outHeight) * srcWidth + srcHeight / 2) / srcHeight);
    }
    r.width = std::clamp(r.width, 1, outWidth);
    r.height = std::clamp(r.height, 1, outHeight);
    r.x = (outWidth - r.width) / 2;
    r.y = (outHeight - r.height) / 2;
    return r;
}

namespace {

int scaleBack(int v, int origin, int extent, int src) {
    if (extent <= 0) return 0;
    int64_t offset = int64_t(v) - origin;
    if (offset < 0) return 0;
    int64_t s = offset * src / extent;
    return static_cast<int>(std::min<int64_t>(s, src - 1));
}

}  // namespace

Point windowToScreen(const Rect& picture, int windowX, int windowY, int srcWidth, int srcHeight) {
    return {scaleBack(windowX, picture.x, picture.width, srcWidth),
            scaleBack(windowY, picture.y, picture.height, srcHeight)};
}

}  // namespace host
