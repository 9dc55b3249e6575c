#pragma once
// A mapping profile: 144 bytes, stored back to back in config.bin. The two zoom scales
// are IEEE 754 singles at the odd offsets 135 and 139 and are moved byte by byte.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace qora {

inline constexpr std::size_t kProfileRecordSize = 144;
// config.bin is read whole (to be put back exactly) only up to this length: far beyond
// 65 535 records, small enough never to exhaust memory. A longer file cannot be read.
inline constexpr std::size_t kMaxConfigBinBytes = 64u * 1024u * 1024u;
inline constexpr std::size_t kActionCount = 29;
inline constexpr std::size_t kMouseBindingCount = 10;

namespace profile {
inline constexpr std::size_t name = 0;
inline constexpr std::size_t nameSize = 64;
inline constexpr std::size_t primaryKeys = 64;   // one scan code per ActionCode
inline constexpr std::size_t secondaryKeys = 93; // a second scan code per ActionCode
inline constexpr std::size_t mouseBindings = 122;
inline constexpr std::size_t direction = 131; // mouse binding 9: the mouse motion target
// Precise aim lives in the bytes that were reserved: a classic profile keeps them 0, and
// a reader that ignores them loads a precise profile as classic.
inline constexpr std::size_t aimWord = 132; // 16-bit little-endian, see kAim* below
inline constexpr std::size_t invertFlags = 134;
inline constexpr std::size_t xZoomScale = 135;
inline constexpr std::size_t yZoomScale = 139;
inline constexpr std::size_t aimExponent = 143; // signed steps of 0.05 from 1.0

inline constexpr std::uint8_t kInvertX = 0x01;
inline constexpr std::uint8_t kInvertY = 0x02;

inline constexpr std::uint8_t kDirectionLeftStick = 0;
inline constexpr std::uint8_t kDirectionRightStick = 1;
inline constexpr std::uint8_t kDirectionTilt = 2;

inline constexpr std::size_t kMouseBindingDirection = 9;

// The aim word: bit 15 precise aim (0 classic), bit 14 the square shape (0 circle), bits
// 0-13 the game's dead zone in hundredths of a percent, 0-9000.
inline constexpr std::uint16_t kAimPrecise = 0x8000;
inline constexpr std::uint16_t kAimSquare = 0x4000;
inline constexpr std::uint16_t kAimDeadZoneMask = 0x3FFF;
inline constexpr std::uint16_t kMaxDeadZoneHundredths = 9000; // 90 %

// The exponent byte: E = 1.0 + 0.05 * (signed byte), so 0 is 1.0; -15 .. 60 is 0.25 .. 4.0.
inline constexpr float kExponentStep = 0.05f;
inline constexpr std::int8_t kMinExponentSteps = -15;
inline constexpr std::int8_t kMaxExponentSteps = 60;

} // namespace profile

// Both zoom scales of a new profile, and of a profile text without ZOOMX or ZOOMY.
inline constexpr float kNewProfileZoomScale = 1.0f;

static_assert(profile::primaryKeys == profile::name + profile::nameSize);
static_assert(profile::secondaryKeys == profile::primaryKeys + kActionCount);
static_assert(profile::mouseBindings == profile::secondaryKeys + kActionCount);
static_assert(profile::direction == profile::mouseBindings + profile::kMouseBindingDirection);
static_assert(profile::xZoomScale == profile::invertFlags + 1);
static_assert(profile::yZoomScale == profile::xZoomScale + 4);
static_assert(profile::aimWord == profile::direction + 1);
static_assert(profile::invertFlags == profile::aimWord + 2);
static_assert(profile::aimExponent == profile::yZoomScale + 4);
static_assert(profile::aimExponent + 1 == kProfileRecordSize);

struct ProfileRecord {
    std::array<std::uint8_t, kProfileRecordSize> bytes{};

    friend bool operator==(const ProfileRecord&, const ProfileRecord&) = default;
};

static_assert(sizeof(ProfileRecord) == kProfileRecordSize && alignof(ProfileRecord) == 1,
              "a record is its 144 bytes, nothing more");

inline std::uint8_t primaryKey(const ProfileRecord& record, std::size_t action) {
    return record.bytes[profile::primaryKeys + action];
}
inline std::uint8_t secondaryKey(const ProfileRecord& record, std::size_t action) {
    return record.bytes[profile::secondaryKeys + action];
}
inline std::uint8_t mouseBinding(const ProfileRecord& record, std::size_t input) {
    return record.bytes[profile::mouseBindings + input];
}

// Single-precision value of the 4 little-endian bytes at offset.
float readZoomScale(const ProfileRecord& record, std::size_t offset);
void writeZoomScale(ProfileRecord& record, std::size_t offset, float scale);

// How the mouse aims. All zero is classic aim, and the defaults of precise aim: circle,
// no dead zone, exponent 1.0.
enum class AimMode : std::uint8_t { classic, precise };
enum class AimShape : std::uint8_t { circle, square };
struct AimSettings {
    AimMode mode = AimMode::classic;
    AimShape shape = AimShape::circle;
    std::uint16_t deadZoneHundredths = 0; // percent x 100, as stored (may exceed 9000)
    std::int8_t exponentSteps = 0;        // as stored (may lie outside -15 .. 60)

    friend bool operator==(const AimSettings&, const AimSettings&) = default;
};

// Bytes 132, 133 and 143 as they are stored, and back. write keeps deadZoneHundredths to
// its 14 bits.
AimSettings readAimSettings(const ProfileRecord& record);
void writeAimSettings(ProfileRecord& record, const AimSettings& aim);

// True when the stored values are ones the rule takes as they are: a dead zone of at most
// 90 % and an exponent of 0.25 to 4.0. Others are flagged by check; the rule clamps them.
bool aimSettingsInRange(const AimSettings& aim);

// The name up to its first NUL (never beyond the 64-byte field).
std::string profileName(const ProfileRecord& record);
// Copies name (cut to 63 characters) and its NUL; the rest of the field keeps its bytes.
void setProfileName(ProfileRecord& record, const std::string& name);

// Views of record n inside a whole-store buffer.
ProfileRecord loadRecord(const std::uint8_t* store, std::size_t index);
void storeRecord(std::uint8_t* store, std::size_t index, const ProfileRecord& record);

} // namespace qora
