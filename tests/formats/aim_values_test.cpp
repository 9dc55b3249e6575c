#include "formats/aim_values.h"

#include "app/calibration.h"
#include "profiles/map_dialog_zoom.h"
#include "tools/profiles/profile_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>

namespace qora {
namespace {

// The sensitivity as the wheel leaves it after stepping up from the grid's bottom.
float calibratedTo(std::int32_t hundredths) {
    ProfileRecord profile;
    writeZoomScale(profile, profile::xZoomScale, zoomScaleOf(kSensitivityGrid.min));
    stepAimValue(profile, AimValue::sensitivityX,
                 (hundredths - kSensitivityGrid.min) / kSensitivityGrid.step);
    return readZoomScale(profile, profile::xZoomScale);
}

// Live calibration, the Map dialog's bar and the profile text store one float for each
// sensitivity, and the text writes it as the short decimal it was set to.
TEST(SensitivityGrid, EverySettingOfAGridPointStoresOneFloatWrittenAsItsDecimal) {
    for (std::int32_t h = kSensitivityGrid.min; h <= kSensitivityGrid.max;
         h += kSensitivityGrid.step) {
        const float stored = zoomScaleOf(h);
        EXPECT_EQ(calibratedTo(h), stored) << h;
        if (h % 10 == 0) {
            EXPECT_EQ(zoomScaleAt(h / 10), stored) << "the bar at " << h / 10;
            EXPECT_EQ(zoomPositionOf(stored), h / 10);
        }
        const std::string text = zoomScaleText(stored);
        EXPECT_LE(text.size(), 4u) << h << " writes as " << text;
        EXPECT_EQ(readZoomText(text), stored) << text;
        EXPECT_EQ(zoomHundredthsOf(stored), h);
    }
    const std::pair<float, const char*> written[] = {
        {zoomScaleOf(130), "1.3"}, {zoomScaleOf(135), "1.35"}, {zoomScaleOf(420), "4.2"},
        {zoomScaleOf(100), "1.0"}, {zoomScaleOf(500), "5.0"},  {-0.0f, "-0"},
        {9 * 0.1f, "0.90000004"}, // what an older Map dialog stored: kept exactly
    };
    for (const auto& [scale, text] : written) {
        EXPECT_EQ(zoomScaleText(scale), text);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(*readZoomText(text)),
                  std::bit_cast<std::uint32_t>(scale))
            << text;
    }
}

} // namespace
} // namespace qora
