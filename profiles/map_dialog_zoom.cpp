#include "profiles/map_dialog_zoom.h"

#include "formats/aim_values.h"

#include <cmath>
#include <cstdio>

namespace qora {
namespace {

constexpr std::int32_t kHundredthsPerPosition = 10;

// Far outside the bar's range, yet safe to convert to an int.
constexpr double kPositionLimit = 1.0e6;

} // namespace

std::int32_t zoomPositionOf(float scale) {
    if (std::isnan(scale)) {
        return kZoomMinPosition;
    }
    double tenfold = static_cast<double>(scale) * 10.0;
    if (tenfold > kPositionLimit) {
        tenfold = kPositionLimit;
    } else if (tenfold < -kPositionLimit) {
        tenfold = -kPositionLimit;
    }
    return static_cast<std::int32_t>(std::lround(tenfold));
}

float zoomScaleAt(std::int32_t position) {
    return zoomScaleOf(position * kHundredthsPerPosition);
}

std::int32_t scrolledPosition(const ScrollInfo& bar, std::uint32_t request) {
    switch (request) {
    case kSbLineLeft:
        return bar.pos - kZoomLineStep;
    case kSbLineRight:
        return bar.pos + kZoomLineStep;
    case kSbPageLeft:
        return bar.pos - kZoomPageStep;
    case kSbPageRight:
        return bar.pos + kZoomPageStep;
    case kSbThumbPosition:
    case kSbThumbTrack:
        return bar.trackPos;
    default:
        return bar.pos;
    }
}

ZoomLabel formatZoomScale(float scale) {
    ZoomLabel label{};
    std::snprintf(label.data(), label.size(), "%01.1f", static_cast<double>(scale));
    return label;
}

} // namespace qora
