#pragma once
// The Map dialog's key fields: edit 1012 + k holds the primary key of ActionCode k
// (record byte 64 + k), edit 1268 + k the secondary key (byte 93 + k) for k = 12 ... 23.
// The four tilt fields 1037 ... 1040 exist only in the PS3 template.

#include "formats/action_codes.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace qora {

bool templateHasTiltFields(std::int32_t templateId);

// The number of primary key fields in the template: 29 for the PS3, 25 for the Xbox 360.
std::size_t primaryKeyFieldCount(std::int32_t templateId);

std::int32_t primaryKeyFieldId(std::size_t action);
std::int32_t secondaryKeyFieldId(std::size_t action);

// The record offset of the scan code shown in controlId, when controlId is a key field of
// the template; nothing for any other control.
std::optional<std::size_t> keyFieldOffset(std::int32_t templateId, std::int32_t controlId);

} // namespace qora
