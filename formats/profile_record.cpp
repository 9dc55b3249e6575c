#include "formats/profile_record.h"

#include <bit>
#include <cstring>

namespace qora {

float readZoomScale(const ProfileRecord& record, std::size_t offset) {
    const std::uint32_t bits = static_cast<std::uint32_t>(record.bytes[offset]) |
                               static_cast<std::uint32_t>(record.bytes[offset + 1]) << 8 |
                               static_cast<std::uint32_t>(record.bytes[offset + 2]) << 16 |
                               static_cast<std::uint32_t>(record.bytes[offset + 3]) << 24;
    return std::bit_cast<float>(bits);
}

void writeZoomScale(ProfileRecord& record, std::size_t offset, float scale) {
    const auto bits = std::bit_cast<std::uint32_t>(scale);
    for (std::size_t i = 0; i < 4; ++i) {
        record.bytes[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
}

AimSettings readAimSettings(const ProfileRecord& record) {
    const auto word = static_cast<std::uint16_t>(record.bytes[profile::aimWord] |
                                                 record.bytes[profile::aimWord + 1] << 8);
    AimSettings aim;
    aim.mode = (word & profile::kAimPrecise) != 0 ? AimMode::precise : AimMode::classic;
    aim.shape = (word & profile::kAimSquare) != 0 ? AimShape::square : AimShape::circle;
    aim.deadZoneHundredths = static_cast<std::uint16_t>(word & profile::kAimDeadZoneMask);
    aim.exponentSteps = static_cast<std::int8_t>(record.bytes[profile::aimExponent]);
    return aim;
}

void writeAimSettings(ProfileRecord& record, const AimSettings& aim) {
    std::uint16_t word = aim.deadZoneHundredths & profile::kAimDeadZoneMask;
    if (aim.mode == AimMode::precise) {
        word |= profile::kAimPrecise;
    }
    if (aim.shape == AimShape::square) {
        word |= profile::kAimSquare;
    }
    record.bytes[profile::aimWord] = static_cast<std::uint8_t>(word & 0xFF);
    record.bytes[profile::aimWord + 1] = static_cast<std::uint8_t>(word >> 8);
    record.bytes[profile::aimExponent] = static_cast<std::uint8_t>(aim.exponentSteps);
}

bool aimSettingsInRange(const AimSettings& aim) {
    return aim.deadZoneHundredths <= profile::kMaxDeadZoneHundredths &&
           aim.exponentSteps >= profile::kMinExponentSteps &&
           aim.exponentSteps <= profile::kMaxExponentSteps;
}

std::string profileName(const ProfileRecord& record) {
    const auto* begin = reinterpret_cast<const char*>(record.bytes.data() + profile::name);
    std::size_t length = 0;
    while (length < profile::nameSize && begin[length] != '\0') {
        ++length;
    }
    return std::string(begin, length);
}

void setProfileName(ProfileRecord& record, const std::string& name) {
    const std::size_t length =
        name.size() < profile::nameSize ? name.size() : profile::nameSize - 1;
    std::memcpy(record.bytes.data() + profile::name, name.data(), length);
    record.bytes[profile::name + length] = 0;
}

ProfileRecord loadRecord(const std::uint8_t* store, std::size_t index) {
    ProfileRecord record;
    std::memcpy(record.bytes.data(), store + index * kProfileRecordSize, kProfileRecordSize);
    return record;
}

void storeRecord(std::uint8_t* store, std::size_t index, const ProfileRecord& record) {
    std::memcpy(store + index * kProfileRecordSize, record.bytes.data(), kProfileRecordSize);
}

} // namespace qora
