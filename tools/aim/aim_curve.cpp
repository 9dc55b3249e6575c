// aim-curve: the mouse speed to stick deflection of both aim modes, as CSV, from the
// program's own code. Precise aim is its curve (deflectionFor) for the given settings;
// classic aim has no curve of its own, so a synthetic mouse at 1000 Hz and at 125 Hz moves
// at each speed along X for two seconds, the classic processor runs at every 33 ms tick
// with the shipped smoothing depth, and the line gives the deflection it settles to (the
// mean over the last 1.4 s). The time stamps of the synthetic reports are whole
// milliseconds, as Wine gives them. Deflections are fractions of full (32767).
//
// Usage: aim-curve [--deadzone PERCENT] [--exponent E] [--shape circle|square]
//                  [--zoom Z] [--max-speed COUNTS_PER_MS] [--step COUNTS_PER_MS]
// The defaults are the precise starter profile: dead zone 20, exponent 1.0, circle, zoom
// 1.0, speeds 0 to 15 counts/ms in steps of 0.25.

#include "mapping/aim_curve.h"
#include "formats/profile_record.h"
#include "mapping/mouse_motion.h"
#include "mapping/mouse_shaping.h"
#include "platform/user_api.h"
#include "tools/aim/synthetic_mouse.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace qora::tools {
namespace {

struct Options {
    double deadZonePercent = 20.0;
    double exponent = 1.0;
    AimShape shape = AimShape::circle;
    float zoom = 1.0f;
    double maxSpeed = 15.0;
    double step = 0.25;
};

struct QuietUser final : UserApi {
    std::int32_t messageBox(WindowHandle, const char*, const char*, std::uint32_t) override {
        return 0;
    }
    bool setTimer(WindowHandle, std::uintptr_t, std::uint32_t) override { return true; }
    bool killTimer(WindowHandle, std::uintptr_t) override { return true; }
    bool invalidateRect(WindowHandle, bool) override { return true; }
    void outputDebugString(const char*) override {}
};

constexpr std::int64_t kTickUs = 33000;
constexpr std::int64_t kMotionUs = 2000000;
constexpr std::int64_t kSettledFromUs = 600000;
constexpr double kFullUnits = 32767.0;
// PACKETBUFFERLENGTH in the setting.ini the release ships.
constexpr std::int32_t kShippedSmoothing = 2;

bool parseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value);
}

bool parseOption(const std::string& name, const char* text, Options& options) {
    double value = 0.0;
    if (name == "--shape") {
        options.shape = std::strcmp(text, "square") == 0 ? AimShape::square : AimShape::circle;
        return std::strcmp(text, "square") == 0 || std::strcmp(text, "circle") == 0;
    }
    if (!parseNumber(text, value)) {
        return false;
    }
    if (name == "--deadzone") {
        options.deadZonePercent = value;
    } else if (name == "--exponent") {
        options.exponent = value;
    } else if (name == "--zoom") {
        options.zoom = static_cast<float>(value);
    } else if (name == "--max-speed") {
        options.maxSpeed = value;
    } else if (name == "--step") {
        options.step = value;
    } else {
        return false;
    }
    return true;
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc || !parseOption(argv[i], argv[i + 1], options)) {
            return false;
        }
    }
    return options.step > 0.0 && options.maxSpeed >= 0.0 && options.deadZonePercent >= 0.0;
}

// The settings as a profile stores them, so the curve is read back as the program reads it.
ProfileRecord profileOf(const Options& options) {
    ProfileRecord profile;
    writeZoomScale(profile, profile::xZoomScale, options.zoom);
    writeZoomScale(profile, profile::yZoomScale, options.zoom);
    AimSettings aim;
    aim.mode = AimMode::precise;
    aim.shape = options.shape;
    aim.deadZoneHundredths =
        static_cast<std::uint16_t>(std::lround(std::min(options.deadZonePercent, 90.0) * 100.0));
    aim.exponentSteps = static_cast<std::int8_t>(
        std::lround(std::clamp((options.exponent - 1.0) / 0.05, -128.0, 127.0)));
    writeAimSettings(profile, aim);
    profile.bytes[profile::direction] = profile::kDirectionRightStick;
    return profile;
}

double preciseDeflection(const ProfileRecord& profile, double speed) {
    return deflectionFor(AimVelocity{speed, 0.0}, aimCurveOf(profile)).x;
}

// The records of the reads made up to tickUs, at most a tick's buffer.
std::vector<MouseRecord> recordsUntil(synthetic::SyntheticMouse& mouse,
                                      synthetic::SyntheticRead& read, bool& pending,
                                      std::int64_t tickUs) {
    std::vector<MouseRecord> records;
    while (pending && read.readUs <= tickUs && records.size() + 2 <= kMouseRecordCapacity) {
        records.insert(records.end(), read.records.begin(), read.records.begin() + read.count);
        pending = mouse.next(read);
    }
    return records;
}

double classicDeflection(const ProfileRecord& profile, double speed, std::int64_t periodUs) {
    synthetic::SyntheticMouse mouse({periodUs, speed, 0.0, 0, kMotionUs, 0, 1});
    synthetic::SyntheticRead read;
    bool pending = mouse.next(read);
    MouseState state;
    state.smoothingDepth = smoothingDepthFromSetting(kShippedSmoothing);
    QuietUser user;
    double sum = 0.0;
    int ticks = 0;
    for (std::int64_t tickUs = kTickUs; tickUs <= kMotionUs; tickUs += kTickUs) {
        const std::vector<MouseRecord> records = recordsUntil(mouse, read, pending, tickUs);
        ControllerState controller;
        resetToRest(controller);
        processMouse(state, controller, kConsoleXbox360, profile, records.data(),
                     static_cast<std::uint32_t>(records.size()), user);
        if (tickUs >= kSettledFromUs) {
            sum += state.output.x;
            ++ticks;
        }
    }
    return sum / ticks / kFullUnits;
}

void printCurve(const Options& options) {
    const ProfileRecord profile = profileOf(options);
    ProfileRecord classic = profile;
    writeAimSettings(classic, AimSettings{});
    std::printf("speed_counts_per_ms,classic_1000hz,classic_125hz,precise\n");
    const int steps = static_cast<int>(std::floor(options.maxSpeed / options.step + 1e-9));
    for (int i = 0; i <= steps; ++i) {
        const double speed = i * options.step;
        std::printf("%.3f,%.4f,%.4f,%.4f\n", speed, classicDeflection(classic, speed, 1000),
                    classicDeflection(classic, speed, 8000), preciseDeflection(profile, speed));
    }
}

} // namespace
} // namespace qora::tools

int main(int argc, char** argv) {
    qora::tools::Options options;
    if (!qora::tools::parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: aim-curve [--deadzone PERCENT] [--exponent E] "
                             "[--shape circle|square] [--zoom Z] [--max-speed S] [--step S]\n");
        return 2;
    }
    qora::tools::printCurve(options);
    return 0;
}
