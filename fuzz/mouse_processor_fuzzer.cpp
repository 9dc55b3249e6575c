// The mouse processor over random ticks of mouse records, any console mode, any smoothing
// depth and any profile (unknown Directions, wild zoom scales, bindings past the lists).
//
// After every tick: at most one sample waits, the flags are 0 or 1, the smoothing depth is
// 1-4 and the history holds deflections of -127..127; the stick axes hold such a deflection
// in their high byte (or a full stick action); the motion fields stay within the tilt
// range; and no byte outside sticks, buttons, triggers and motion changes.
//
// Two more processors run the same ticks with every mouse binding cleared, one of them
// with every X and Y motion negated: the mirror's deflection (or tilt around the rest
// value) must be exactly the negation, a diagonal tilt the other side's diagonal, and
// after four ticks without records the state is back at rest.
//
// The same ticks also drive precise aim, as if the profile asked for it: each tick's
// records are one read, at a time that advances with the passed count, evaluated then and
// at the time the estimator names next. Its sticks hold 16-bit units (whole high bytes on
// the PS3), mirrored motion gives exactly the negation there too, and once the input ends
// and its stop time has passed, the estimator rests and the state is back at rest.
//
// Input: a console mode byte (signed), the smoothing depth byte, the 144 profile bytes,
// then ticks: a 16-bit count passed to the processor (above 256 too), and for each of up
// to 256 records an offset byte, the 32-bit data and a time stamp byte.

#include "fuzz_check.h"
#include "fuzz_input.h"

#include "formats/profile_record.h"
#include "input/mouse_record.h"
#include "mapping/controller_state.h"
#include "mapping/mouse_motion.h"
#include "mapping/mouse_records.h"
#include "mapping/mouse_shaping.h"
#include "mapping/mouse_state.h"
#include "mapping/precise_aim.h"
#include "mapping/tilt.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

namespace qora::fuzzing {
namespace {

constexpr std::size_t kMaxTicks = 64;
// Offsets below this are taken as they are (the known ones and a few unknown); above,
// the byte is spread into a large unknown offset.
constexpr std::uint8_t kSmallOffsets = 24;
constexpr std::uint32_t kSpreadOffset = 0x01010101u;
// Ticks without records after which every deflection has died away, whatever the depth.
constexpr std::size_t kQuietTicksToRest = kMaxSmoothingDepth;
constexpr std::int32_t kDeflectionUnit = 256;
constexpr std::int32_t kLargestStickUnits = 32767;
// Each tick's read comes this much later per passed count, and a microsecond more.
constexpr std::int64_t kReadSpacingUs = 61;
// Long past any stop time of the estimator.
constexpr std::int64_t kQuietAfterInputUs = 10000000;

constexpr std::array<std::size_t, 4> kStickAxes{state::leftStickX, state::leftStickY,
                                                state::rightStickX, state::rightStickY};
constexpr std::array<std::size_t, 3> kMotionFields{state::accelX, state::accelY, state::accelZ};

struct SilentUserApi final : UserApi {
    std::int32_t messageBox(WindowHandle, const char*, const char*, std::uint32_t) override {
        fail("the mouse processor shows no message box");
    }
    bool setTimer(WindowHandle, std::uintptr_t, std::uint32_t) override { return true; }
    bool killTimer(WindowHandle, std::uintptr_t) override { return true; }
    bool invalidateRect(WindowHandle, bool) override { return true; }
    void outputDebugString(const char*) override {}
};

struct Tick {
    std::uint32_t passedCount = 0;
    std::vector<MouseRecord> records; // always the tick's full buffer of 256
};

Tick readTick(FuzzInput& input) {
    Tick tick;
    tick.passedCount = input.u16();
    tick.records.assign(kMouseRecordCapacity, MouseRecord{});
    const std::size_t filled = std::min<std::size_t>(tick.passedCount, kMouseRecordCapacity);
    for (std::size_t i = 0; i < filled && !input.empty(); ++i) {
        const std::uint8_t offset = input.byte();
        MouseRecord& record = tick.records[i];
        record.dwOfs = offset < kSmallOffsets ? offset : offset * kSpreadOffset;
        record.dwData = input.u32();
        record.dwTimeStamp = input.byte();
        record.dwSequence = static_cast<std::uint32_t>(i);
    }
    return tick;
}

bool isAxis(const MouseRecord& record) {
    return record.dwOfs == mouse_offset::x || record.dwOfs == mouse_offset::y;
}

// The smallest 32-bit motion has no negation; the mirrored runs use its neighbour.
std::vector<MouseRecord> negatable(std::vector<MouseRecord> records) {
    for (MouseRecord& record : records) {
        if (isAxis(record) && record.dwData == 0x80000000u) {
            record.dwData = 0x80000001u;
        }
    }
    return records;
}

std::vector<MouseRecord> mirrored(std::vector<MouseRecord> records) {
    for (MouseRecord& record : records) {
        if (isAxis(record)) {
            record.dwData = 0u - record.dwData;
        }
    }
    return records;
}

ControllerState restState() {
    ControllerState state;
    resetToRest(state);
    return state;
}

bool isDeflection(std::int32_t value) {
    return value % kDeflectionUnit == 0 && std::abs(value / kDeflectionUnit) <= kMaxDeflection;
}

void checkMouseState(const MouseState& mouse) {
    require(mouse.samples.count <= 1, "at most one sample waits after a tick");
    require(mouse.smoothingDepth >= kMinSmoothingDepth &&
                mouse.smoothingDepth <= kMaxSmoothingDepth,
            "the smoothing depth is clamped to 1-4");
    require(std::all_of(mouse.flags.begin(), mouse.flags.end(),
                        [](std::uint8_t flag) { return flag <= 1; }),
            "mouse flags are 0 or 1");
    for (std::size_t i = 0; i < kSmoothingHistorySize; ++i) {
        require(std::abs(mouse.history.x[i]) <= kMaxDeflection &&
                    std::abs(mouse.history.y[i]) <= kMaxDeflection,
                "the smoothing history holds deflections of -127..127");
    }
}

// Classic aim and precise aim on the PS3 write whole high bytes; precise aim on the Xbox
// 360 any 16-bit value but the one without a negation.
bool isStickValue(std::int16_t value, bool wholeHighBytes) {
    if (wholeHighBytes) {
        return isDeflection(value);
    }
    return std::abs(static_cast<std::int32_t>(value)) <= kLargestStickUnits;
}

void checkControllerState(const ControllerState& state, ConsoleMode mode,
                          bool wholeHighBytes = true) {
    const ControllerState rest = restState();
    for (std::size_t i = state::reservedBegin; i < state::reservedEnd; ++i) {
        require(state.bytes[i] == 0, "the reserved bytes stay zero");
    }
    require(state.bytes[state::reportType] == rest.bytes[state::reportType] &&
                state.bytes[state::reportLength] == rest.bytes[state::reportLength] &&
                state.bytes[state::trailer] == 0,
            "the report header and the trailer stay as reset");
    for (const std::size_t axis : kStickAxes) {
        const std::int16_t value = stickValue(state, axis);
        if (!isStickValue(value, wholeHighBytes) && value != kStickFullPositive) {
            fail("stick axis at byte " + std::to_string(axis) + " holds " + std::to_string(value));
        }
    }
    for (const std::size_t trigger : {state::leftTrigger, state::rightTrigger}) {
        require(state.bytes[trigger] == 0 || state.bytes[trigger] == kTriggerPressed,
                "a trigger is released or fully pressed");
    }
    require((state.bytes[state::buttons2] & 0x08) == 0, "buttons2 bit 0x08 is never set");
    if (mode != kConsoleXbox360 && mode != kConsolePs3) {
        require(state.bytes[state::leftTrigger] == 0 && state.bytes[state::rightTrigger] == 0 &&
                    (state.bytes[state::buttons2] &
                     (buttons2::leftBumper | buttons2::rightBumper)) == 0,
                "without a console no shoulder action has an effect");
    }
    const auto inTiltRange = [](std::uint16_t value) {
        return value >= kTiltDiagonalLow && value <= kTiltFullHigh;
    };
    require(inTiltRange(motionValue(state, state::accelX)) &&
                inTiltRange(motionValue(state, state::accelY)),
            "accelerometer X and Y stay within the tilt range");
    const std::uint16_t z = motionValue(state, state::accelZ);
    require(z >= kAccelZRest && z <= kAccelZRest + kTiltMouseLimit,
            "accelerometer Z stays within the tilt range");
}

// With no bindings only the motion target moves; mirrored motion moves it the other way.
void checkMirror(const ControllerState& plain, const ControllerState& mirror,
                 const ProfileRecord& profile) {
    const ControllerState rest = restState();
    require(std::equal(plain.bytes.begin() + state::buttons1,
                       plain.bytes.begin() + state::rightTrigger + 1,
                       rest.bytes.begin() + state::buttons1),
            "without bindings no button or trigger is pressed");
    for (const std::size_t axis : kStickAxes) {
        if (stickValue(mirror, axis) != -stickValue(plain, axis)) {
            fail("mirrored motion gives stick " + std::to_string(stickValue(mirror, axis)) +
                 " for " + std::to_string(stickValue(plain, axis)));
        }
    }
    const bool tilt = profile.bytes[profile::direction] == profile::kDirectionTilt;
    // A tilt saturated on both axes becomes the diagonal at the first action of the tick,
    // even an unbound one; the diagonal values are not symmetric about the level. A mouse
    // tilt of 72 has the diagonal's Z too, so X and Y tell them apart.
    const auto onDiagonal = [](std::uint16_t value) {
        return value == kTiltDiagonalLow || value == kTiltDiagonalHigh;
    };
    const bool diagonal = motionValue(plain, state::accelZ) == kTiltAccelZDiagonal &&
                          onDiagonal(motionValue(plain, state::accelX)) &&
                          onDiagonal(motionValue(plain, state::accelY));
    for (const std::size_t field : kMotionFields) {
        const int level = field == state::accelZ ? kAccelZRest : kAccelLevel;
        const int value = motionValue(plain, field);
        const int mirrorValue = motionValue(mirror, field);
        if (!tilt) {
            require(value == motionValue(rest, field), "only TILT moves the motion fields");
        } else if (field == state::accelZ) {
            require(mirrorValue == value, "mirrored tilt has the same strength");
        } else if (diagonal) {
            require(std::min(value, mirrorValue) == kTiltDiagonalLow &&
                        std::max(value, mirrorValue) == kTiltDiagonalHigh,
                    "a mirrored diagonal lies on the other side");
        } else {
            require(mirrorValue - level == level - value, "mirrored tilt leans the other way");
        }
    }
}

// Precise aim for one processor: a read, then the evaluations at the read and at the
// estimator's next time, as the capture run's scheduler makes them.
struct PreciseRun {
    MouseState mouse;
    std::int64_t nowUs = 0;

    ControllerState read(ConsoleMode mode, const ProfileRecord& profile,
                         const std::vector<MouseRecord>& records, std::uint32_t count,
                         std::int64_t readUs) {
        clearWheelFlags(mouse);
        nowUs = std::max(nowUs, readUs);
        readPreciseAimRecords(mouse, records.data(), count, nowUs);
        return evaluate(mode, profile, nowUs);
    }

    ControllerState evaluate(ConsoleMode mode, const ProfileRecord& profile, std::int64_t atUs) {
        nowUs = std::max(nowUs, atUs);
        ControllerState state = restState();
        writePreciseAim(mouse, state, mode, profile, nowUs);
        return state;
    }
};

void checkPreciseStep(const ControllerState& plain, const ControllerState& mirror,
                      const ProfileRecord& profile, ConsoleMode mode) {
    checkControllerState(plain, mode, mode == kConsolePs3);
    checkMirror(plain, mirror, profile);
}

// One tick of the precise leg: the read, then the next change the estimator names.
void preciseTick(PreciseRun& plain, PreciseRun& mirror, ConsoleMode mode,
                 const ProfileRecord& unbound, const std::vector<MouseRecord>& records,
                 const std::vector<MouseRecord>& opposite, std::uint32_t count,
                 std::int64_t readUs) {
    checkPreciseStep(plain.read(mode, unbound, records, count, readUs),
                     mirror.read(mode, unbound, opposite, count, readUs), unbound, mode);
    const std::int64_t nextUs = nextVelocityChange(plain.mouse.aim, plain.nowUs);
    require(nextUs == nextVelocityChange(mirror.mouse.aim, mirror.nowUs),
            "mirrored motion changes at the same times");
    if (nextUs != kNeverUs) {
        require(nextUs > plain.nowUs, "the next change lies ahead of the evaluation");
        checkPreciseStep(plain.evaluate(mode, unbound, nextUs),
                         mirror.evaluate(mode, unbound, nextUs), unbound, mode);
    }
}

void checkPreciseRest(PreciseRun& run, ConsoleMode mode, const ProfileRecord& unbound) {
    clearWheelFlags(run.mouse);
    const ControllerState state = run.evaluate(mode, unbound, run.nowUs + kQuietAfterInputUs);
    require(preciseAimAtRest(run.mouse), "precise aim rests once the mouse stops");
    require(state == restState(), "precise aim at rest writes the rest state");
}

} // namespace
} // namespace qora::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qora;
    using namespace qora::fuzzing;
    FuzzInput input(data, size);
    const auto mode = static_cast<ConsoleMode>(static_cast<std::int8_t>(input.byte()));
    MouseState bound;
    bound.smoothingDepth = input.byte();
    MouseState plain = bound;
    MouseState mirror = bound;
    ProfileRecord profile;
    input.fill(profile.bytes.data(), profile.bytes.size());
    ProfileRecord unbound = profile;
    std::fill_n(unbound.bytes.begin() + profile::mouseBindings, kMouseFlagCount, 0);

    SilentUserApi user;
    PreciseRun precise;
    PreciseRun preciseMirror;
    std::int64_t readUs = 0;
    std::size_t quietTicks = 0;
    for (std::size_t t = 0; t < kMaxTicks && !input.empty(); ++t) {
        const Tick tick = readTick(input);
        ControllerState state = restState();
        processMouse(bound, state, mode, profile, tick.records.data(), tick.passedCount, user);
        checkMouseState(bound);
        checkControllerState(state, mode);

        const std::vector<MouseRecord> records = negatable(tick.records);
        const std::vector<MouseRecord> opposite = mirrored(records);
        ControllerState plainState = restState();
        ControllerState mirrorState = restState();
        processMouse(plain, plainState, mode, unbound, records.data(), tick.passedCount, user);
        processMouse(mirror, mirrorState, mode, unbound, opposite.data(), tick.passedCount, user);
        checkMouseState(plain);
        checkControllerState(plainState, mode);
        checkMirror(plainState, mirrorState, profile);

        readUs += 1 + kReadSpacingUs * tick.passedCount;
        preciseTick(precise, preciseMirror, mode, unbound, records, opposite, tick.passedCount,
                    readUs);

        quietTicks = tick.passedCount == 0 ? quietTicks + 1 : 0;
        if (quietTicks >= kQuietTicksToRest) {
            require(plainState == restState(), "four ticks without records bring the rest state");
        }
    }
    checkPreciseRest(precise, mode, unbound);
    return 0;
}
