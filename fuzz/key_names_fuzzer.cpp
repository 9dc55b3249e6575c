// The key-name table where it is shown: the Map dialog's key fields. Over a random
// profile and random key snapshots with the focus anywhere, every key field shows the
// name of the key its byte binds, a key without a name is never bound, and a snapshot
// binds the highest key that is down (or clears the field when that key has no name) in
// the focused field only; a key the run keeps for itself is never bound, so the highest
// of the others is. With a layer shown the same holds of the layer's view of the profile:
// a key bound there is the layer's own change of its action, the base stays as read, and
// the view is always the base with the layer applied.
//
// Once at start, the table itself: every name fits its slot and is printable, scan code
// 0 (no key) has none, and no two codes share a name, so a field always tells which key
// it holds.
//
// Input: a template byte (bit 0: PS3, else Xbox 360; bit 1: a new layer made and shown),
// the 144 profile bytes, then steps: a focus byte, a count byte and that many (scan code,
// key state byte) pairs.

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "work_directory.h"

#include "fakes/fake_dialog_api.h"
#include "fakes/fake_direct_input.h"
#include "fakes/fake_user_api.h"
#include "formats/layer_record.h"
#include "formats/profile_record.h"
#include "formats/run_keys.h"
#include "input/device_slot.h"
#include "input/key_names.h"
#include "input/mouse_record.h"
#include "platform/host/host_profile_file.h"
#include "profiles/map_dialog.h"
#include "profiles/map_dialog_fields.h"
#include "profiles/map_dialog_layers.h"
#include "resources/resource_ids.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace qora::fuzzing {
namespace {

constexpr std::size_t kMaxSteps = 16;
constexpr std::uint8_t kMaxKeysPerStep = 8;
constexpr std::uint8_t kPs3Template = 0x01;
constexpr std::uint8_t kLayerShown = 0x02;
constexpr std::uint8_t kPrintableFirst = 0x20;
constexpr std::uint8_t kPrintableLast = 0x7E;

void checkTable() {
    const KeyNameTable& table = keyNameTable();
    std::set<std::string> names;
    for (std::size_t code = 0; code < kKeyNameCount; ++code) {
        const KeyNameSlot& slot = table[code];
        const char* name = keyName(static_cast<std::uint8_t>(code));
        require(name == slot.data(), "keyName gives the table's slot");
        const auto nul =
            static_cast<std::size_t>(std::find(slot.begin(), slot.end(), '\0') - slot.begin());
        require(nul < kKeyNameSlotSize, "every name ends with a NUL inside its slot");
        require(std::all_of(slot.begin() + static_cast<std::ptrdiff_t>(nul), slot.end(),
                            [](char c) { return c == '\0'; }),
                "a slot is NUL after its name");
        for (std::size_t i = 0; i < nul; ++i) {
            const auto c = static_cast<unsigned char>(slot[i]);
            require(c >= kPrintableFirst && c <= kPrintableLast, "names are printable");
        }
        if (nul > 0 && !names.insert(name).second) {
            fail(std::string("two scan codes are named ") + name);
        }
    }
    require(keyName(0)[0] == '\0', "scan code 0, no key, has no name");
}

std::vector<std::int32_t> keyFields(std::int32_t templateId) {
    std::vector<std::int32_t> fields;
    for (std::size_t k = 0; k < primaryKeyFieldCount(templateId); ++k) {
        fields.push_back(primaryKeyFieldId(k));
    }
    for (std::size_t k = kFirstSecondaryKeyAction; k <= kLastSecondaryKeyAction; ++k) {
        fields.push_back(secondaryKeyFieldId(k));
    }
    return fields;
}

class MapDialogRun {
public:
    MapDialogRun(std::int32_t templateId, ConsoleMode mode)
        : templateId_(templateId), mode_(mode), fields_(keyFields(templateId)) {
        dialogs_.addMapDialog(kDialog, templateId);
        dialogs_.onCommand = [this](WindowHandle window, std::int32_t id, std::uint32_t code) {
            onMapCommand(state_, env_, id, code);
            require(window == kDialog, "notifications come from the dialog's controls");
        };
    }

    ~MapDialogRun() { destroyMapDialog(state_, env_); }
    MapDialogRun(const MapDialogRun&) = delete;
    MapDialogRun& operator=(const MapDialogRun&) = delete;

    void open() {
        require(initMapDialog(state_, env_, kDialog, templateId_, 0), "the Map dialog opens");
        require(state_.recordInStore, "the profile is in the store");
        base_ = state_.record;
        checkFields();
    }

    // New layer "L", which the dialog then shows and the steps edit.
    void showNewLayer() {
        dialogs_.type(kDialog, IDC_MAP_LAYER_NAME, "L");
        dialogs_.clickButton(kDialog, IDC_MAP_LAYER_NEW);
        require(showsLayer(state_) && state_.layers.layers.size() == 1, "New layer shows it");
        require(state_.layers.layers[0].changes == 0, "a new layer changes nothing");
        // Leaving the base took its lists into it, as a Confirm does.
        base_ = state_.record;
        // The focus moves on from the name field, so the keyboard is read again.
        dialogs_.moveFocusTo(kDialog, IDC_MAP_INVERT_X);
        checkFields();
    }

    // Focus choice: a key field, then the invert check box, then no focus at all.
    void step(std::uint8_t focusChoice,
              const std::vector<std::pair<std::uint8_t, std::uint8_t>>& keys) {
        const std::size_t choice = focusChoice % (fields_.size() + 2);
        std::optional<std::int32_t> field;
        if (choice < fields_.size()) {
            field = fields_[choice];
            dialogs_.focusOn(kDialog, *field);
        } else if (choice == fields_.size()) {
            dialogs_.focusOn(kDialog, IDC_MAP_INVERT_X);
        } else {
            dialogs_.focus = nullptr;
        }
        directInput_.keyState = {};
        for (const auto& [code, keyState] : keys) {
            directInput_.keyState[code] = keyState;
        }
        std::optional<std::uint8_t> highest;
        for (std::size_t code = 0; code < kKeyboardSnapshotSize; ++code) {
            if ((directInput_.keyState[code] & kKeyDown) != 0 &&
                !isRunKey(static_cast<std::uint8_t>(code))) {
                highest = static_cast<std::uint8_t>(code);
            }
        }

        ProfileRecord expected = shownRecord(state_);
        if (field && highest) {
            const std::size_t offset = *keyFieldOffset(templateId_, *field);
            expected.bytes[offset] = keyName(*highest)[0] != '\0' ? *highest : 0;
            ownChanges_ |= layer_change::bit(*layerChangeOfControl(templateId_, *field));
        }
        onMapTimer(state_, env_);
        require(shownRecord(state_) == expected,
                "a snapshot binds the highest key down in the focused key field only");
        checkFields();
    }

private:
    static inline WindowHandle const kDialog = reinterpret_cast<WindowHandle>(0x3900);

    void checkFields() {
        if (showsLayer(state_)) {
            checkLayer();
        }
        for (const std::int32_t field : fields_) {
            const std::uint8_t code =
                shownRecord(state_).bytes[*keyFieldOffset(templateId_, field)];
            const std::string& text = dialogs_.control(kDialog, field).text;
            if (text != keyName(code)) {
                fail("field " + std::to_string(field) + " shows '" + text + "' for scan code " +
                     std::to_string(code));
            }
            require(code == 0 || keyName(code)[0] != '\0', "a key without a name is never bound");
        }
        require(dialogs_.misuse.empty(), "the dialog only uses controls it has");
    }

    void checkLayer() {
        require(state_.record == base_, "an edit in a layer leaves the base as read");
        const LayerRecord& layer = state_.layers.layers[0];
        require(layer.changes == ownChanges_, "a layer owns the actions bound in it, no other");
        ProfileRecord view = base_;
        applyLayer(view, layer);
        require(state_.layerView == view, "a layer's view is the base with the layer applied");
        for (const std::int32_t field : fields_) {
            const bool own =
                (ownChanges_ & layer_change::bit(*layerChangeOfControl(templateId_, field))) != 0;
            require(controlShowsBase(state_, field) == !own,
                    "a field shows the base's key, greyed, until the layer owns its action");
        }
    }

    std::int32_t templateId_;
    ConsoleMode mode_;
    std::vector<std::int32_t> fields_;
    ProgramPaths paths_ = makeProgramPaths(workDirectory().path());
    HostFileApi files_;
    HostProfileFile ini_;
    testing::FakeUserApi user_;
    testing::FakeDialogApi dialogs_;
    std::vector<std::string> log_;
    testing::FakeDirectInput directInput_{log_};
    CaptureDevices devices_;
    testing::FakeModesDialogOpener modesDialogs_;
    MapDialogEnvironment env_{files_,   ini_,   user_, dialogs_,     directInput_,
                              devices_, paths_, mode_, modesDialogs_};
    MapDialogState state_;
    ProfileRecord base_;
    std::uint64_t ownChanges_ = 0;
};

} // namespace
} // namespace qora::fuzzing

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qora::fuzzing::checkTable();
    qora::fuzzing::workDirectory().write("setting.ini", "[CONFIGURATION]\r\nCOUNT=1\r\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qora;
    using namespace qora::fuzzing;
    FuzzInput input(data, size);
    const std::uint8_t templateByte = input.byte();
    const bool ps3 = (templateByte & kPs3Template) != 0;
    const std::vector<std::uint8_t> record = input.bytes(kProfileRecordSize);
    std::string config(kProfileRecordSize, '\0');
    std::copy(record.begin(), record.end(), config.begin());
    workDirectory().write("config.bin", config);

    MapDialogRun dialog(ps3 ? IDD_MAP_PS3 : IDD_MAP_360, ps3 ? kConsolePs3 : kConsoleXbox360);
    dialog.open();
    if ((templateByte & kLayerShown) != 0) {
        dialog.showNewLayer();
    }
    for (std::size_t s = 0; s < kMaxSteps && !input.empty(); ++s) {
        const std::uint8_t focus = input.byte();
        std::vector<std::pair<std::uint8_t, std::uint8_t>> keys(input.byte() % kMaxKeysPerStep);
        for (auto& [code, keyState] : keys) {
            code = input.byte();
            keyState = input.byte();
        }
        dialog.step(focus, keys);
    }
    return 0;
}
