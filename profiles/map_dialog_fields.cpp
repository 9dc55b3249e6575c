#include "profiles/map_dialog_fields.h"

#include "formats/profile_record.h"
#include "resources/resource_ids.h"

namespace qora {

static_assert(IDC_MAP_PRIMARY_LAST - IDC_MAP_PRIMARY_FIRST + 1 == kActionCount);
static_assert(IDC_MAP_SECONDARY_FIRST == IDC_MAP_SECONDARY_BASE + kFirstSecondaryKeyAction);
static_assert(IDC_MAP_SECONDARY_LAST == IDC_MAP_SECONDARY_BASE + kLastSecondaryKeyAction);
static_assert(IDC_MAP_GUIDE == IDC_MAP_PRIMARY_FIRST + kLastXbox360KeyAction);

bool templateHasTiltFields(std::int32_t templateId) {
    return templateId == IDD_MAP_PS3;
}

std::size_t primaryKeyFieldCount(std::int32_t templateId) {
    return templateHasTiltFields(templateId) ? kActionCount : kLastXbox360KeyAction + 1;
}

std::int32_t primaryKeyFieldId(std::size_t action) {
    return IDC_MAP_PRIMARY_FIRST + static_cast<std::int32_t>(action);
}

std::int32_t secondaryKeyFieldId(std::size_t action) {
    return IDC_MAP_SECONDARY_BASE + static_cast<std::int32_t>(action);
}

std::optional<std::size_t> keyFieldOffset(std::int32_t templateId, std::int32_t controlId) {
    const std::int32_t primaryEnd =
        IDC_MAP_PRIMARY_FIRST + static_cast<std::int32_t>(primaryKeyFieldCount(templateId));
    if (controlId >= IDC_MAP_PRIMARY_FIRST && controlId < primaryEnd) {
        return profile::primaryKeys + static_cast<std::size_t>(controlId - IDC_MAP_PRIMARY_FIRST);
    }
    if (controlId >= IDC_MAP_SECONDARY_FIRST && controlId <= IDC_MAP_SECONDARY_LAST) {
        return profile::secondaryKeys +
               static_cast<std::size_t>(controlId - IDC_MAP_SECONDARY_BASE);
    }
    return std::nullopt;
}

} // namespace qora
