// Writes the store the aim bench runs qora with: record 0 the starter profile with classic
// aim, record 1 the same profile with precise aim (circle, exponent 1.0, a dead zone of
// 20 % unless DEAD_ZONE says otherwise, in percent, and the starter's zoom unless ZOOM
// gives both axes one). Prints the stick the profile's mouse moves, `left` or `right` (or
// `tilt`), which is where the bench reads the deflection.
//
// usage: aim-store STARTER OUT [DEAD_ZONE [ZOOM]]
//        STARTER: a config.bin whose first record is the profile

#include "formats/profile_record.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr std::uint16_t kPreciseDeadZoneHundredths = 2000; // 20 %
constexpr const char* kPreciseName = "Shooter precise";

// Why the path cannot be a store; empty when it may be one. Only the first record is read,
// so no file is read further; a folder or a device still holds no store.
std::string notAStore(const char* path) {
    std::error_code error;
    switch (std::filesystem::status(path, error).type()) {
    case std::filesystem::file_type::directory:
        return "a folder, not a config.bin";
    case std::filesystem::file_type::regular:
    case std::filesystem::file_type::not_found: // fopen names the reason
        return {};
    default:
        return "not a file";
    }
}

// The first record of the store; false with the reason in error.
bool readFirstRecord(const char* path, qora::ProfileRecord& record, std::string& error) {
    if (error = notAStore(path); !error.empty()) {
        return false;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    std::array<std::uint8_t, qora::kProfileRecordSize> bytes{};
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    const bool failed = std::ferror(file) != 0;
    const int reason = errno;
    std::fclose(file);
    if (failed || got < bytes.size()) {
        error = failed ? std::strerror(reason) : "it holds no whole profile";
        return false;
    }
    record = qora::loadRecord(bytes.data(), 0);
    return true;
}

// The precise profile's own values; a zoom of 0 keeps the starter's.
struct PreciseValues {
    std::uint16_t deadZoneHundredths = kPreciseDeadZoneHundredths;
    float zoom = 0.0f;
};

qora::ProfileRecord withAim(qora::ProfileRecord record, qora::AimMode mode,
                            const PreciseValues& values) {
    qora::AimSettings aim;
    aim.mode = mode;
    if (mode == qora::AimMode::precise) {
        aim.deadZoneHundredths = values.deadZoneHundredths;
        qora::setProfileName(record, kPreciseName);
        if (values.zoom > 0.0f) {
            qora::writeZoomScale(record, qora::profile::xZoomScale, values.zoom);
            qora::writeZoomScale(record, qora::profile::yZoomScale, values.zoom);
        }
    }
    qora::writeAimSettings(record, aim);
    return record;
}

// DEAD_ZONE in percent (0 to 90) and ZOOM (above 0), when given; false when out of range.
bool readPreciseValues(int argc, char** argv, PreciseValues& values) {
    if (argc > 3) {
        const double percent = std::atof(argv[3]);
        if (!(percent >= 0.0 && percent <= 90.0)) {
            return false;
        }
        values.deadZoneHundredths = static_cast<std::uint16_t>(std::lround(percent * 100.0));
    }
    if (argc > 4) {
        values.zoom = static_cast<float>(std::atof(argv[4]));
        return values.zoom > 0.0f;
    }
    return true;
}

bool writeStore(const char* path, const qora::ProfileRecord& classic,
                const qora::ProfileRecord& precise) {
    std::vector<std::uint8_t> store(2 * qora::kProfileRecordSize);
    qora::storeRecord(store.data(), 0, classic);
    qora::storeRecord(store.data(), 1, precise);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(store.data()), static_cast<long>(store.size()));
    return static_cast<bool>(out);
}

const char* stickName(const qora::ProfileRecord& record) {
    switch (record.bytes[qora::profile::direction]) {
    case qora::profile::kDirectionRightStick:
        return "right";
    case qora::profile::kDirectionTilt:
        return "tilt";
    default: // the left stick, and any unknown Direction, as qora reads it
        return "left";
    }
}

} // namespace

int main(int argc, char** argv) {
    qora::ProfileRecord starter;
    PreciseValues values;
    if (argc < 3 || argc > 5 || !readPreciseValues(argc, argv, values)) {
        std::fprintf(stderr, "usage: aim-store STARTER OUT [DEAD_ZONE [ZOOM]]\n");
        return 2;
    }
    if (std::string error; !readFirstRecord(argv[1], starter, error)) {
        std::fprintf(stderr, "aim-store: cannot read %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    if (!writeStore(argv[2], withAim(starter, qora::AimMode::classic, values),
                    withAim(starter, qora::AimMode::precise, values))) {
        std::fprintf(stderr, "aim-store: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%s\n", stickName(starter));
    return 0;
}
