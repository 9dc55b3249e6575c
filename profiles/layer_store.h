#pragma once
// The layers of the profiles: layers.bin beside config.bin (formats/layer_file.h), kept
// paired with the records. This is the only code that reads or writes layers.bin; the
// dialogs, the capture run and qora-profiles call it, as they call profiles/store.h for
// config.bin alone.
//
// The pairing. An entry's layers belong to every record of config.bin (of the first COUNT)
// whose 144 bytes equal the entry's key. Hence:
// - A change to a record that leaves layers.bin alone (an older qora's Map, a hand edit)
//   detaches its layers: they stay in the file matching nothing and attach to no other
//   record. New, Del and the order of the records change nothing of the pairing.
// - Two records equal byte for byte are one profile to the pairing: they share their
//   layers. A change that would give them different layers is refused
//   (kErrorIdenticalProfiles: "two profiles identical byte for byte would need different
//   layers"), and so is a new record equal to one that has layers while it has none.
// - A write that changes records goes in three steps, each one whole-or-nothing file
//   replacement, so that a crash between any two leaves every profile with its old or its
//   new layers and never another's: (a) layers.bin gains the entries of the new records'
//   bytes, keeping those of the old; (b) config.bin (and COUNT) are written through
//   profiles/store.h; (c) layers.bin drops the entries that match no record. Before (a)
//   the change is refused if the new entries would change the layers of an old record
//   that the change does not turn into that new record. When (b) fails, layers.bin is put
//   back as it was; when (c) fails, entries that match nothing stay, harmless, until the
//   next write.
// - A profile without layers stores nothing; a layers.bin without entries is removed, so a
//   folder where nobody used layers holds no layers.bin.
// - A layers.bin that exists but cannot be read, or is damaged, is never written over:
//   every operation below refuses with its failure ("layers.bin cannot be read: access
//   denied", "layers.bin is damaged: its check sum does not match"), but for an appended
//   profile without layers, which goes on exactly as profiles/store.h's appendProfile.
//
// Every operation opens and closes the files within the call. Failures come as StoreChange
// (profiles/store.h), so describeChange gives the message for the user.

#include "formats/layer_file.h"
#include "formats/profile_record.h"
#include "platform/file_api.h"
#include "platform/file_failure.h"
#include "platform/profile_file_api.h"
#include "platform/program_paths.h"
#include "profiles/store.h"
#include "profiles/whole_file.h"

#include <cstdint>
#include <vector>

namespace qora {

enum class LayersState {
    read,       // layers.bin was read and decoded
    missing,    // there is no layers.bin: no profile has layers
    unreadable, // it exists but could not be read (failure says why), or a newer qora wrote it
    damaged     // it was read but fails the checks of its format (failure says how)
};

struct LayersRead {
    LayersState state = LayersState::missing;
    LayerFile file;                  // the entries when read; none otherwise
    std::vector<std::uint8_t> bytes; // the file as read, to be put back exactly
    // Why it cannot be used: a read failure ("layers.bin cannot be read: ..."), or a check
    // failure ("layers.bin is damaged: ..."). Meaningful only when not usable.
    FileFailure failure;

    bool usable() const { return state == LayersState::read || state == LayersState::missing; }
};

// Reads layers.bin through the file seam, at most kMaxLayersBinBytes ("file too large"
// beyond), and decodes it. A missing file is not created.
LayersRead readLayers(FileApi& files, const ProgramPaths& paths);

// Replaces layers.bin with these entries through layers.bin.new and one rename; no entries
// remove it (a missing one stays missing). A read-only layers.bin is neither replaced nor
// removed; a file that would be longer than kMaxLayersBinBytes is not written ("file too
// large"). It knows nothing of config.bin: the operations below pair the two.
StoreWrite writeLayers(FileApi& files, const ProgramPaths& paths, const LayerFile& file);

// The layers of a record: those of the entry its bytes key, none without one.
ProfileLayers layersOf(const LayerFile& file, const ProfileRecord& record);

// The layers of records 0 .. count - 1 of a whole-store buffer of count records.
std::vector<ProfileLayers> layersOfRecords(const LayerFile& file, const std::uint8_t* records,
                                           std::uint32_t count);

// A profile as the run and the dialogs hold it: its record and its layers.
struct LayeredProfile {
    ProfileRecord base;
    ProfileLayers layers;

    friend bool operator==(const LayeredProfile&, const LayeredProfile&) = default;
};

// A profile and its layers as they were loaded, and from where (-1: from nowhere). Whoever
// writes them back later does so with replaceLayeredProfile, so a profile whose record or
// layers changed meanwhile is left alone.
struct LoadedProfile {
    std::int32_t index = -1;
    LayeredProfile profile;
};

// New in the Setting dialog and qora-profiles import: appends record count to a store of
// count records, with these layers, and raises COUNT to count + 1 (profiles/store.h's
// appendProfile and its refusals). makeRecord sees what config.bin holds at that position.
StoreChange appendLayeredProfile(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                                 std::uint32_t count, const RecordMaker& makeRecord,
                                 const ProfileLayers& layers);
StoreChange appendLayeredProfile(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                                 std::uint32_t count, const LayeredProfile& profile);

// Del: removes record index of a store of count records and lowers COUNT to count - 1, then
// drops the entries that no longer match a record. CURRENT is the caller's.
StoreChange removeLayeredProfile(FileApi& files, ProfileFileApi& ini, const ProgramPaths& paths,
                                 std::uint32_t count, std::uint32_t index);

struct LayeredReplace {
    RecordCheck check = RecordCheck::same;
    StoreChange change; // done is false whenever check is not same
};

// Live calibration's F4, and whoever writes back one profile it loaded: record index of a
// store of count records, with its layers, becomes replacement, but only while config.bin
// holds expected.base there (zeros past the end of the file, as every reader sees) and
// layers.bin gives it expected.layers. config.bin is written back whole as
// profiles/store.h's replaceRecord writes it, records beyond count included, and only
// when the record changes: a save of layers alone writes layers.bin alone.
LayeredReplace replaceLayeredProfile(FileApi& files, const ProgramPaths& paths, std::uint32_t count,
                                     std::uint32_t index, const LayeredProfile& expected,
                                     const LayeredProfile& replacement);

// The Map dialog's Confirm: config.bin becomes exactly records (COUNT records, COUNT
// unchanged), record i with layers[i]; records at or beyond layers.size() keep the layers
// layers.bin gives their bytes.
StoreChange writeLayeredStore(FileApi& files, const ProgramPaths& paths,
                              const std::vector<std::uint8_t>& records,
                              const std::vector<ProfileLayers>& layers);

} // namespace qora
