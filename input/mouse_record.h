#pragma once
// A buffered mouse record in the DirectInput 8 layout (DIDEVICEOBJECTDATA, 20 bytes).

#include <cstddef>
#include <cstdint>

namespace qora {

struct MouseRecord {
    std::uint32_t dwOfs;       // which part changed: an offset into the c_dfDIMouse2 state
    std::uint32_t dwData;      // axes: signed relative motion; buttons: 0x80 = pressed
    std::uint32_t dwTimeStamp; // milliseconds; the records of one mouse event share it
    std::uint32_t dwSequence;
    std::uint32_t uAppData;
};

static_assert(sizeof(MouseRecord) == 20, "the DirectInput 8 record layout");

inline constexpr std::size_t kMouseRecordCapacity = 256;
inline constexpr std::size_t kKeyboardSnapshotSize = 256;

// dwOfs values of the c_dfDIMouse2 format.
namespace mouse_offset {
inline constexpr std::uint32_t x = 0;
inline constexpr std::uint32_t y = 4;
inline constexpr std::uint32_t wheel = 8;
inline constexpr std::uint32_t button0 = 12;
inline constexpr std::uint32_t button6 = 18;
inline constexpr std::uint32_t button7 = 19;
} // namespace mouse_offset

inline constexpr std::uint32_t kMouseButtonDown = 0x80;
inline constexpr std::uint8_t kKeyDown = 0x80;

} // namespace qora
