#pragma once
// The binding modes' items of layers.bin (formats/layer_file.h), every number
// little-endian:
//
//   type 2, the base's modes:   the values below
//   type 3, a layer's modes:    32 bytes  the layer's name field, as its layer item holds it
//                               u8        changes (mode_change bits)
//                               the values below
//   the values:                 u32 toggle, u32 turbo (ActionSet bits), u16 turbo press ms,
//                               u16 turbo release ms, u8 walk key, u8 walk percent,
//                               u8 macro count, then each macro:
//                                 u8 key, u8 step count, then each step: u32 actions, u16 ms
//
// The base has no changes byte: it sets every mode, whatever its changes say. A layer's
// modes item is tied to its layer by name (an entry's layers with modes have names no other
// layer of the entry has), so an older qora that keeps these items as unknown ones while it
// deletes or reorders layers cannot move modes onto another layer: an item whose layer is
// gone matches no name and is dropped at the next read.
//
// Only modes that do something are stored: the base's when they are not all defaults, a
// layer's when it changes a mode or has a macro. A layer's modes hold the defaults in the
// modes it does not change, and a base's macro has steps (only a layer's macro without
// steps means something: it takes the base's away). A key has at most one macro in a base
// or a layer. Anything else is damage to the decoder, and the writer refuses it.

#include "formats/binding_modes.h"
#include "formats/layer_file.h"
#include "formats/layer_record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qora {

inline constexpr std::uint16_t kBaseModesItemType = 2;
inline constexpr std::uint16_t kLayerModesItemType = 3;

// What the decoder says of modes as the base's, or as a layer's; none when they can be
// stored (see above). Modes that store nothing (the defaults) are a bad layout: no item
// is written for them.
LayerFileFault baseModesFault(const BindingModes& modes);
LayerFileFault layerModesFault(const BindingModes& modes);

// A layer whose modes the file stores.
bool hasModes(const LayerRecord& layer);

// The whole items, header included.
std::size_t baseModesItemSize(const BindingModes& modes);
std::size_t layerModesItemSize(const BindingModes& modes);
void putBaseModesItem(std::vector<std::uint8_t>& out, const BindingModes& modes);
void putLayerModesItem(std::vector<std::uint8_t>& out, const LayerRecord& layer);

struct ModesItem {
    LayerFileFault fault = LayerFileFault::none;
    std::array<char, kLayerNameSize> layerName{}; // a layer's item only
    BindingModes modes;
};

// A payload of the type, read and checked.
ModesItem readBaseModesItem(const std::uint8_t* payload, std::size_t length);
ModesItem readLayerModesItem(const std::uint8_t* payload, std::size_t length);

} // namespace qora
