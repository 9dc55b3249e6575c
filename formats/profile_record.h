#pragma once
// A mapping profile: 144 bytes, stored back to back in config.bin. The two zoom scales
// are IEEE 754 singles at the odd offsets 135 and 139 and are moved byte by byte.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace qora {

inline constexpr std::size_t kProfileRecordSize = 144;
inline constexpr std::size_t kActionCount = 29;
inline constexpr std::size_t kMouseBindingCount = 10;

namespace profile {
inline constexpr std::size_t name = 0;
inline constexpr std::size_t nameSize = 64;
inline constexpr std::size_t primaryKeys = 64;   // one scan code per ActionCode
inline constexpr std::size_t secondaryKeys = 93; // a second scan code per ActionCode
inline constexpr std::size_t mouseBindings = 122;
inline constexpr std::size_t direction = 131; // mouse binding 9: the mouse motion target
inline constexpr std::size_t reserved = 132;  // two bytes, always 0
inline constexpr std::size_t invertFlags = 134;
inline constexpr std::size_t xZoomScale = 135;
inline constexpr std::size_t yZoomScale = 139;
inline constexpr std::size_t lastReserved = 143; // always 0

inline constexpr std::uint8_t kInvertX = 0x01;
inline constexpr std::uint8_t kInvertY = 0x02;

inline constexpr std::uint8_t kDirectionLeftStick = 0;
inline constexpr std::uint8_t kDirectionRightStick = 1;
inline constexpr std::uint8_t kDirectionTilt = 2;

inline constexpr std::size_t kMouseBindingDirection = 9;

} // namespace profile

// Both zoom scales of a new profile, and of a profile text without ZOOMX or ZOOMY.
inline constexpr float kNewProfileZoomScale = 1.0f;

static_assert(profile::primaryKeys == profile::name + profile::nameSize);
static_assert(profile::secondaryKeys == profile::primaryKeys + kActionCount);
static_assert(profile::mouseBindings == profile::secondaryKeys + kActionCount);
static_assert(profile::direction == profile::mouseBindings + profile::kMouseBindingDirection);
static_assert(profile::xZoomScale == profile::invertFlags + 1);
static_assert(profile::yZoomScale == profile::xZoomScale + 4);
static_assert(profile::reserved == profile::direction + 1);
static_assert(profile::invertFlags == profile::reserved + 2);
static_assert(profile::lastReserved == profile::yZoomScale + 4);
static_assert(profile::lastReserved + 1 == kProfileRecordSize);

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

// The name up to its first NUL (never beyond the 64-byte field).
std::string profileName(const ProfileRecord& record);
// Copies name (cut to 63 characters) and its NUL; the rest of the field keeps its bytes.
void setProfileName(ProfileRecord& record, const std::string& name);

// Views of record n inside a whole-store buffer.
ProfileRecord loadRecord(const std::uint8_t* store, std::size_t index);
void storeRecord(std::uint8_t* store, std::size_t index, const ProfileRecord& record);

} // namespace qora
