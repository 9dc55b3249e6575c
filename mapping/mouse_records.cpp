#include "mapping/mouse_records.h"

#include "mapping/mouse_samples.h"

#include <algorithm>

namespace qora {
namespace {

// Wide sums: 256 records of any 32-bit value cannot overflow them.
struct MotionGroup {
    std::int64_t sumX = 0;
    std::int64_t sumY = 0;
    std::uint32_t countX = 0;
    std::uint32_t countY = 0;
};

std::int32_t signedData(const MouseRecord& record) {
    return static_cast<std::int32_t>(record.dwData);
}

void setButtonFlag(MouseState& mouse, const MouseRecord& record) {
    const std::size_t flag = mouse_flag::firstButton + (record.dwOfs - mouse_offset::button0);
    mouse.flags[flag] = (record.dwData & kMouseButtonDown) != 0 ? 1 : 0;
}

// The eighth button (mouse_offset::button7) has no binding and no flag, so its records
// and those of unknown offsets change nothing here.
void applyFlagRecord(MouseState& mouse, const MouseRecord& record) {
    if (record.dwOfs == mouse_offset::wheel) {
        const std::size_t flag =
            signedData(record) >= 1 ? mouse_flag::wheelUp : mouse_flag::wheelDown;
        mouse.flags[flag] = 1;
    } else if (record.dwOfs >= mouse_offset::button0 && record.dwOfs <= mouse_offset::button6) {
        setButtonFlag(mouse, record);
    }
}

void applyRecord(MouseState& mouse, MotionGroup& group, const MouseRecord& record) {
    if (record.dwOfs == mouse_offset::x) {
        group.sumX += signedData(record);
        ++group.countX;
    } else if (record.dwOfs == mouse_offset::y) {
        group.sumY += signedData(record);
        ++group.countY;
    } else {
        applyFlagRecord(mouse, record);
    }
}

bool endsGroup(const MouseRecord* records, std::uint32_t count, std::uint32_t index) {
    return index + 1 == count || records[index + 1].dwTimeStamp != records[index].dwTimeStamp;
}

void finishGroup(MouseState& mouse, MotionGroup& group, std::uint32_t timeStamp,
                 UserApi& debugOutput) {
    const std::uint32_t events = std::max(group.countX, group.countY);
    if (events == 0) {
        return;
    }
    debugOutput.outputDebugString("\n");
    // Both axes divide by the larger count: the events of the group, not of the axis.
    pushMotionSample(mouse.samples, roundedAverage(group.sumX, events),
                     roundedAverage(group.sumY, events), timeStamp);
    group = MotionGroup{};
}

} // namespace

void clearWheelFlags(MouseState& mouse) {
    mouse.flags[mouse_flag::wheelUp] = 0;
    mouse.flags[mouse_flag::wheelDown] = 0;
}

void runRecordPass(MouseState& mouse, const MouseRecord* records, std::uint32_t count,
                   UserApi& debugOutput) {
    clearWheelFlags(mouse);
    if (records == nullptr) {
        return;
    }
    count = std::min(count, static_cast<std::uint32_t>(kMouseRecordCapacity));
    MotionGroup group;
    for (std::uint32_t r = 0; r < count; ++r) {
        applyRecord(mouse, group, records[r]);
        if (endsGroup(records, count, r)) {
            finishGroup(mouse, group, records[r].dwTimeStamp, debugOutput);
        }
    }
}

std::uint8_t mouseButtonsPressedIn(const MouseRecord* records, std::uint32_t count) {
    std::uint8_t pressed = 0;
    count =
        records == nullptr ? 0 : std::min(count, static_cast<std::uint32_t>(kMouseRecordCapacity));
    for (std::uint32_t r = 0; r < count; ++r) {
        const MouseRecord& record = records[r];
        if (record.dwOfs >= mouse_offset::button0 && record.dwOfs <= mouse_offset::button6 &&
            (record.dwData & kMouseButtonDown) != 0) {
            pressed |= static_cast<std::uint8_t>(1u << (record.dwOfs - mouse_offset::button0));
        }
    }
    return pressed;
}

void applyButtonRecords(MouseState& mouse, const MouseRecord* records, std::uint32_t count) {
    if (records == nullptr) {
        return;
    }
    count = std::min(count, static_cast<std::uint32_t>(kMouseRecordCapacity));
    for (std::uint32_t r = 0; r < count; ++r) {
        applyFlagRecord(mouse, records[r]);
    }
}

} // namespace qora
