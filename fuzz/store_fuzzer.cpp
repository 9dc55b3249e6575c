// The profile store over random config.bin contents and random COUNT and CURRENT texts.
//
// First the store calls alone, each of which must leave the file as it found it or as
// asked: readStore copies the file's first bytes and nothing else, deleteRecord removes
// exactly one record (a short file reads as zeros), writeStore replaces the file exactly
// and leaves no temporary file behind.
//
// Then the Setting dialog over the same files, driven by random commands; after each one
// the list, config.bin and COUNT must agree: one entry per record, in order, each showing
// the record's name, and COUNT records in the file.
//
// Input: a flags byte (bit 0: no config.bin, bit 1: no setting.ini, bits 2-3: the console
// mode); NUL-terminated COUNT and CURRENT texts; a 16-bit length and that many bytes of
// config.bin; 16-bit arguments of the store calls; then dialog commands, a byte each with
// their arguments.

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "work_directory.h"

#include "fakes/fake_dialog_api.h"
#include "fakes/fake_user_api.h"
#include "formats/profile_record.h"
#include "platform/host/host_profile_file.h"
#include "platform/program_paths.h"
#include "profiles/setting_dialog.h"
#include "profiles/store.h"
#include "resources/resource_ids.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace qora::fuzzing {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kNoConfigBin = 0x01;
constexpr std::uint8_t kNoSettingIni = 0x02;
constexpr std::array<ConsoleMode, 4> kModes{kConsoleXbox360, kConsolePs3, kConsoleNotSet, 2};
constexpr std::size_t kMaxCommands = 24;
// Each command on a store this large moves megabytes; a few of them show the same.
constexpr std::size_t kLargeStore = 4096;
constexpr std::size_t kMaxCommandsOnALargeStore = 3;
constexpr std::uint8_t kFillByte = 0xA5;

std::optional<Bytes> fileBytes(const std::string& name) {
    std::ifstream file(workDirectory().file(name), std::ios::binary | std::ios::ate);
    if (!file) {
        return std::nullopt;
    }
    Bytes bytes(static_cast<std::size_t>(file.tellg()));
    file.seekg(0);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void putFile(const std::string& name, const std::optional<Bytes>& bytes) {
    removeFile(workDirectory().file(name));
    if (bytes) {
        workDirectory().write(name, std::string(bytes->begin(), bytes->end()));
    }
}

// Bytes [from, to) of a file, with zeros where the file is shorter.
Bytes slice(const std::optional<Bytes>& file, std::size_t from, std::size_t to) {
    Bytes part(to - from, 0);
    if (file && from < file->size()) {
        const std::size_t end = std::min(to, file->size());
        std::copy(file->begin() + static_cast<std::ptrdiff_t>(from),
                  file->begin() + static_cast<std::ptrdiff_t>(end), part.begin());
    }
    return part;
}

std::size_t sizeOf(const std::optional<Bytes>& file) {
    return file ? file->size() : 0;
}

// A missing file and an empty one hold the same: no records.
bool sameContent(const std::optional<Bytes>& a, const std::optional<Bytes>& b) {
    return a.value_or(Bytes{}) == b.value_or(Bytes{});
}

struct Store {
    ProgramPaths paths = makeProgramPaths(workDirectory().path());
    UnsyncedFileApi files;
    HostProfileFile ini;

    std::optional<Bytes> config() const { return fileBytes("config.bin"); }
    bool temporaryLeft() const { return workDirectory().exists("config.bin.new"); }
};

// ---- The store calls ----------------------------------------------------------------------

void checkReadStore(Store& store, std::uint32_t length) {
    const std::optional<Bytes> file = store.config();
    Bytes buffer(length, kFillByte);
    const StoreRead result = readStore(store.files, store.paths, buffer.data(), length);
    const std::uint32_t read = result.bytesRead;
    const std::size_t expected = std::min<std::size_t>(length, sizeOf(file));
    require(result.state == (file ? StoreState::read : StoreState::missing),
            "readStore tells a missing store from one it read");
    require(read == expected, "readStore reads the file up to the length asked");
    require(Bytes(buffer.begin(), buffer.begin() + read) == slice(file, 0, read),
            "readStore copies the file's first bytes");
    require(std::all_of(buffer.begin() + read, buffer.end(),
                        [](std::uint8_t b) { return b == kFillByte; }),
            "readStore leaves the rest of the buffer alone");
    require(sameContent(store.config(), file), "readStore leaves the file as it was");
}

void checkDeleteRecord(Store& store, std::uint32_t count, std::uint32_t index) {
    const std::optional<Bytes> file = store.config();
    const StoreWrite result = deleteRecord(store.files, store.paths, count, index);
    require(!store.temporaryLeft(), "deleteRecord leaves no temporary file");
    if (index >= count) {
        require(!result.replaced && result.bytesWritten == 0, "deleting past the end does nothing");
        require(sameContent(store.config(), file), "deleting past the end keeps the file");
        return;
    }
    require(result.replaced, "deleting a record from a readable store replaces it");
    Bytes expected = slice(file, 0, index * kProfileRecordSize);
    const Bytes after =
        slice(file, (index + std::size_t{1}) * kProfileRecordSize, count * kProfileRecordSize);
    expected.insert(expected.end(), after.begin(), after.end());
    require(result.bytesWritten == expected.size(), "deleteRecord writes count - 1 records");
    require(store.config() == expected, "deleteRecord removes exactly the one record");
}

void checkWriteStore(Store& store, const Bytes& bytes) {
    const StoreWrite result = writeStore(store.files, store.paths, bytes.data(),
                                         static_cast<std::uint32_t>(bytes.size()));
    require(result.replaced && result.bytesWritten == bytes.size(), "writeStore writes it all");
    require(store.config() == bytes, "writeStore replaces the file exactly");
    require(!store.temporaryLeft(), "writeStore leaves no temporary file");
}

// ---- The Setting dialog -------------------------------------------------------------------

class SettingDialogRun {
public:
    SettingDialogRun(Store& store, ConsoleMode mode) : store_(store), mode_(mode) {
        dialogs_.addSettingDialog(kDialog);
    }

    void open() {
        require(initSettingDialog(env_, kDialog), "the Setting dialog opens");
        const std::uint32_t count = readProfileCount(store_.ini, store_.paths);
        const std::optional<Bytes> file = store_.config();
        for (std::uint32_t i = 0; i < count; ++i) {
            records_.push_back(recordAt(file, i));
        }
        const std::int32_t current = readCurrentProfile(store_.ini, store_.paths);
        const bool currentIsARecord =
            current >= 0 && static_cast<std::uint32_t>(current) < records_.size();
        require(selection() == (currentIsARecord ? current : -1),
                "the list opens on CURRENT when it names a record, else on nothing");
        checkAgreement();
    }

    void newProfile(const std::string& typed) {
        dialogs_.type(kDialog, IDC_SETTING_NAME, typed);
        const std::string name = dialogs_.control(kDialog, IDC_SETTING_NAME).text;
        const std::optional<Bytes> file = store_.config();
        const std::size_t count = records_.size();
        command(IDC_SETTING_NEW);
        if (count >= kMaxProfileCount) {
            require(store_.config() == file, "New on a full store changes nothing");
        } else {
            ProfileRecord added = recordAt(file, count);
            setProfileName(added, name);
            writeZoomScale(added, profile::xZoomScale, kNewProfileZoomScale);
            writeZoomScale(added, profile::yZoomScale, kNewProfileZoomScale);
            records_.push_back(added);
            require(selection() == static_cast<std::intptr_t>(count), "New selects the new entry");
            written_ = true;
        }
        checkAgreement();
    }

    void deleteSelected(bool yes) {
        user_.messageBoxAnswer = yes ? kIdYes : kIdNo;
        const std::intptr_t selected = selection();
        const std::optional<Bytes> file = store_.config();
        const std::optional<Bytes> ini = fileBytes("setting.ini");
        command(IDC_SETTING_DEL);
        if (!yes || selected < 0) {
            require(store_.config() == file && fileBytes("setting.ini") == ini,
                    "Del without a selection or a Yes writes nothing");
            require(selection() == selected, "Del without a Yes keeps the selection");
        } else {
            records_.erase(records_.begin() + selected);
            const auto remaining = static_cast<std::intptr_t>(records_.size());
            const std::intptr_t next = remaining == 0 ? -1 : std::min(selected, remaining - 1);
            require(selection() == next, "Del selects the entry that took the deleted one's place");
            if (next >= 0) {
                require(readCurrentProfile(store_.ini, store_.paths) == next,
                        "Del makes the new selection CURRENT");
            }
            written_ = true;
        }
        checkAgreement();
    }

    std::size_t records() const { return records_.size(); }

    void select(std::uint16_t choice) {
        dialogs_.selectItem(kDialog, IDC_SETTING_LIST,
                            static_cast<std::intptr_t>(choice % (records_.size() + 1)));
    }

    void map() {
        const std::size_t before = opener_.calls.size();
        command(IDC_SETTING_MAP);
        const bool console = mode_ == kConsoleXbox360 || mode_ == kConsolePs3;
        const bool opens = console && selection() >= 0;
        require(opener_.calls.size() == before + (opens ? 1 : 0),
                "Map opens the Map dialog on a selected record with a console set");
        if (opens) {
            require(opener_.calls.back().profileIndex == selection(),
                    "Map edits the selected record");
        }
    }

    void confirm() {
        const std::intptr_t selected = selection();
        command(IDC_CONFIRM);
        require(readCurrentProfile(store_.ini, store_.paths) == selected,
                "Confirm writes the selection as CURRENT");
        require(dialogs_.endedDialogs.size() == 1, "Confirm ends the dialog");
    }

private:
    static inline WindowHandle const kDialog = reinterpret_cast<WindowHandle>(0x1360);

    static ProfileRecord recordAt(const std::optional<Bytes>& file, std::size_t index) {
        const Bytes bytes =
            slice(file, index * kProfileRecordSize, (index + 1) * kProfileRecordSize);
        return loadRecord(bytes.data(), 0);
    }

    void command(std::int32_t id) {
        require(onSettingCommand(env_, kDialog, id, 0), "the dialog handles its commands");
    }

    std::intptr_t selection() { return dialogs_.control(kDialog, IDC_SETTING_LIST).selection; }

    // The list, config.bin and COUNT tell the same story.
    void checkAgreement() {
        const std::vector<std::string>& entries = dialogs_.control(kDialog, IDC_SETTING_LIST).items;
        require(readProfileCount(store_.ini, store_.paths) == records_.size(),
                "COUNT is the number of records");
        require(entries.size() == records_.size(), "the list has one entry per record");
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i] != profileName(records_[i])) {
                fail("entry " + std::to_string(i) + " shows '" + entries[i] + "' for the record '" +
                     profileName(records_[i]) + "'");
            }
        }
        const std::optional<Bytes> file = store_.config();
        const std::size_t length = records_.size() * kProfileRecordSize;
        require(!written_ || sizeOf(file) == length, "a written store holds COUNT records");
        const Bytes held = slice(file, 0, length);
        for (std::size_t i = 0; i < records_.size(); ++i) {
            require(loadRecord(held.data(), i) == records_[i], "config.bin holds each record");
        }
        require(selection() >= -1 && selection() < static_cast<std::intptr_t>(records_.size()),
                "the selection is an entry or none");
        require(dialogs_.misuse.empty(), "the dialog only uses controls it has");
        require(!store_.temporaryLeft(), "no temporary store is left behind");
    }

    Store& store_;
    ConsoleMode mode_;
    testing::FakeDialogApi dialogs_;
    testing::FakeUserApi user_;
    testing::FakeMapDialogOpener opener_;
    SettingDialogEnvironment env_{store_.files, store_.ini, user_,  dialogs_,
                                  store_.paths, mode_,      opener_};
    std::vector<ProfileRecord> records_;
    bool written_ = false;
};

enum Command : std::uint8_t { kNew, kDelYes, kDelNo, kSelect, kMap, kConfirm, kCommandCount };

void runDialog(Store& store, ConsoleMode mode, FuzzInput& input) {
    SettingDialogRun dialog(store, mode);
    dialog.open();
    const std::size_t commands =
        dialog.records() >= kLargeStore ? kMaxCommandsOnALargeStore : kMaxCommands;
    for (std::size_t i = 0; i < commands && !input.empty(); ++i) {
        switch (input.byte() % kCommandCount) {
        case kNew:
            dialog.newProfile(input.text());
            break;
        case kDelYes:
            dialog.deleteSelected(true);
            break;
        case kDelNo:
            dialog.deleteSelected(false);
            break;
        case kSelect:
            dialog.select(input.u16());
            break;
        case kMap:
            dialog.map();
            break;
        default:
            dialog.confirm();
            return;
        }
    }
}

} // namespace
} // namespace qora::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qora;
    using namespace qora::fuzzing;
    FuzzInput input(data, size);
    const std::uint8_t flags = input.byte();
    const std::string count = input.text();
    const std::string current = input.text();
    const Bytes config = input.bytes(input.u16());

    const std::optional<Bytes> original =
        (flags & kNoConfigBin) != 0 ? std::nullopt : std::optional<Bytes>(config);
    putFile("config.bin", original);
    removeFile(workDirectory().file("config.bin.new"));
    std::optional<Bytes> ini;
    if ((flags & kNoSettingIni) == 0) {
        const std::string text =
            "[CONFIGURATION]\r\nCOUNT=" + count + "\r\nCURRENT=" + current + "\r\n";
        ini = Bytes(text.begin(), text.end());
    }
    putFile("setting.ini", ini);

    Store store;
    const std::size_t records = sizeOf(original) / kProfileRecordSize;
    checkReadStore(store, input.u16());
    const std::uint32_t deleteCount = input.u16() % (records + 3);
    checkDeleteRecord(store, deleteCount, input.u16() % (deleteCount + 2));
    checkWriteStore(store, original.value_or(Bytes{}));
    putFile("config.bin", original);

    runDialog(store, kModes[(flags >> 2) % kModes.size()], input);
    return 0;
}
