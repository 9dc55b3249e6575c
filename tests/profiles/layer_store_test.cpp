#include "profiles/layer_store.h"

#include "dialog_test_fixture.h"
#include "fakes/restricted_files.h"
#include "fakes/temp_directory.h"
#include "layered_store.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qora {
namespace {

using testing::bytesOf;
using testing::layersFileOf;
using testing::layersNamed;
using testing::namedRecord;
using testing::storedProfiles;

constexpr const char* kMissing = "(missing)";

// A profile's record with one more key bound: what a Map dialog or an older qora makes.
ProfileRecord edited(ProfileRecord record, std::uint8_t key = 0x20) {
    record.bytes[profile::primaryKeys + 4] = key;
    return record;
}

class LayerStoreTest : public ::testing::Test {
protected:
    // config.bin, COUNT and layers.bin as the program writes them for these profiles.
    void storeProfiles(const std::vector<LayeredProfile>& profiles) {
        writeConfig(profiles);
        writeLayersOf(profiles);
    }
    // config.bin and COUNT alone: what an older qora writes, or a hand edit.
    void writeConfig(const std::vector<LayeredProfile>& profiles) {
        std::vector<ProfileRecord> records;
        for (const LayeredProfile& profile : profiles) {
            records.push_back(profile.base);
        }
        dir.write("config.bin", bytesOf(records));
        setCount(profiles.size());
    }
    void writeLayersOf(const std::vector<LayeredProfile>& profiles) {
        std::filesystem::remove(dir.file("layers.bin"));
        const std::string layers = layersFileOf(profiles);
        if (!layers.empty()) {
            dir.write("layers.bin", layers);
        }
    }
    void setCount(std::size_t count) {
        HostProfileFile plain;
        plain.writePrivateProfileString(kConfigurationSection, kCountKey,
                                        std::to_string(count).c_str(), paths.settingIni.c_str());
    }

    std::string file(const std::string& name) const {
        return dir.exists(name) ? dir.read(name) : kMissing;
    }
    std::uint32_t count() { return readProfileCount(ini, paths); }
    void expectNoTemporaryFile() const {
        EXPECT_FALSE(dir.exists("config.bin.new"));
        EXPECT_FALSE(dir.exists("layers.bin.new"));
    }

    testing::TempDirectory dir;
    ProgramPaths paths = makeProgramPaths(dir.path());
    testing::RestrictedFileApi files;
    testing::RestrictedProfileFile ini;

    const LayeredProfile a{namedRecord("A"), layersNamed({"ADS"})};
    const LayeredProfile b{namedRecord("B"), {}};
    const LayeredProfile c{namedRecord("C"), layersNamed({"car", "map"})};
};

// ---- Reading layers.bin -------------------------------------------------------------------

// Each state layers.bin can be in, as read: what it says, and that reading changes nothing.
TEST_F(LayerStoreTest, ReadTellsEveryStateOfLayersBinApart) {
    LayerFile outOfRange;
    LayerRecord tooLate = testing::layerNamed("late");
    tooLate.delayMs = kMaxLayerDelayMs + 1;
    outOfRange.entries.push_back({a.base, {{tooLate}, {}}});
    LayerFile outOfOrder; // entries in the wrong order: only encodeLayerFile is fooled
    outOfOrder.entries.push_back({c.base, c.layers});
    outOfOrder.entries.push_back({a.base, a.layers});
    const auto encoded = [](const LayerFile& layers) {
        const std::vector<std::uint8_t> bytes = encodeLayerFile(layers);
        return std::string(bytes.begin(), bytes.end());
    };
    const std::string good = layersFileOf({a, b, c});

    struct Case {
        const char* name;
        std::function<void()> prepare;
        LayersState state;
        const char* message; // "" when usable
    };
    const Case cases[] = {
        {"missing", [&] { std::filesystem::remove(dir.file("layers.bin")); }, LayersState::missing,
         ""},
        {"as written", [] {}, LayersState::read, ""},
        {"read-only", [&] { files.layersReadOnly = true; }, LayersState::read, ""},
        {"empty", [&] { dir.write("layers.bin", ""); }, LayersState::damaged,
         "layers.bin is damaged: its header is not one qora writes"},
        {"another file's bytes", [&] { dir.write("layers.bin", bytesOf(a.base)); },
         LayersState::damaged, "layers.bin is damaged: its header is not one qora writes"},
        {"a byte changed",
         [&] {
             std::string bytes = good;
             bytes[good.size() / 2] ^= 0x01;
             dir.write("layers.bin", bytes);
         },
         LayersState::damaged, "layers.bin is damaged: its check sum does not match"},
        {"cut short", [&] { dir.write("layers.bin", good.substr(0, good.size() - 100)); },
         LayersState::damaged, "layers.bin is damaged: its check sum does not match"},
        {"entries out of order", [&] { dir.write("layers.bin", encoded(outOfOrder)); },
         LayersState::damaged, "layers.bin is damaged: its contents do not follow its layout"},
        {"a delay out of range", [&] { dir.write("layers.bin", encoded(outOfRange)); },
         LayersState::damaged, "layers.bin is damaged: it holds a value out of range"},
        {"a newer qora's",
         [&] {
             std::string bytes = good;
             bytes[kLayerFileMagic.size()] = 2;
             dir.write("layers.bin", bytes);
         },
         LayersState::unreadable, "layers.bin cannot be read: a newer qora wrote it"},
        {"no permission", [&] { files.openLayersError = EACCES; }, LayersState::unreadable,
         "layers.bin cannot be read: access denied"},
        {"held by another program", [&] { files.openLayersError = EBUSY; }, LayersState::unreadable,
         "layers.bin cannot be read: in use by another program"},
        {"a folder",
         [&] {
             std::filesystem::remove(dir.file("layers.bin"));
             std::filesystem::create_directory(dir.file("layers.bin"));
         },
         LayersState::unreadable, "layers.bin cannot be read: access denied"},
        {"too long",
         [&] { std::filesystem::resize_file(dir.file("layers.bin"), kMaxLayersBinBytes + 1); },
         LayersState::unreadable, "layers.bin cannot be read: file too large"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        files.clear();
        std::filesystem::remove_all(dir.file("layers.bin"));
        storeProfiles({a, b, c});
        test.prepare();
        // A folder has no bytes, and 64 MiB are compared by their length.
        const bool folder = std::filesystem::is_directory(dir.file("layers.bin"));
        const bool large = !folder && dir.exists("layers.bin") &&
                           std::filesystem::file_size(dir.file("layers.bin")) > kMaxLayersBinBytes;
        const std::string before = folder || large ? "" : file("layers.bin");

        const LayersRead read = readLayers(files, paths);
        EXPECT_EQ(read.state, test.state);
        EXPECT_EQ(read.usable(), *test.message == '\0');
        if (!read.usable()) {
            EXPECT_EQ(describeFailure(read.failure), test.message);
        }
        if (read.state == LayersState::read) {
            EXPECT_EQ(layersOf(read.file, a.base), a.layers);
            EXPECT_EQ(layersOf(read.file, b.base), ProfileLayers{});
            EXPECT_EQ(layersOf(read.file, c.base), c.layers);
        } else {
            EXPECT_TRUE(read.file.entries.empty());
        }
        if (large) {
            EXPECT_EQ(std::filesystem::file_size(dir.file("layers.bin")), kMaxLayersBinBytes + 1);
        } else if (!folder) {
            EXPECT_EQ(file("layers.bin"), before);
        }
    }
}

TEST_F(LayerStoreTest, AFileLongerThanItsBoundIsNeverWritten) {
    storeProfiles({a, b, c});
    const std::string before = file("layers.bin");
    LayerFile huge;
    huge.entries.push_back({a.base, {{}, std::vector<std::uint8_t>(kMaxLayersBinBytes, 0)}});
    const StoreWrite written = writeLayers(files, paths, huge);
    EXPECT_FALSE(written.replaced);
    EXPECT_EQ(describeFailure(written.failure), "layers.bin cannot be written: file too large");
    EXPECT_EQ(file("layers.bin"), before);
    expectNoTemporaryFile();
}

// ---- Every write under every state of the files ---------------------------------------------

// Each operation under each condition of the files: the message it gives ("" when done).
// One that is refused leaves config.bin, COUNT and layers.bin byte for byte as they were.
// One that is done leaves config.bin and COUNT as asked, and layers.bin as the profiles
// then need it, unless layers.bin could not be written or read: then it is as it was, and
// what it holds for records that are gone matches nothing.
TEST_F(LayerStoreTest, EveryWriteUnderEveryStateOfLayersBin) {
    const LayeredProfile fresh{namedRecord("N"), {}};
    const LayeredProfile imported{namedRecord("I"), layersNamed({"ADS", "walk"})};
    const LayeredProfile aSaved{edited(a.base), a.layers};
    const LayeredProfile aLayerSaved{a.base, layersNamed({"ADS slower"})};
    const LayeredProfile bSaved{edited(b.base), {}};
    const LayeredProfile cMapped{edited(c.base, 0x21), c.layers};
    auto mapped = [&](const std::vector<LayeredProfile>& profiles) {
        std::vector<ProfileRecord> records;
        std::vector<ProfileLayers> layers;
        for (const LayeredProfile& profile : profiles) {
            records.push_back(profile.base);
            layers.push_back(profile.layers);
        }
        const std::string bytes = bytesOf(records);
        return writeLayeredStore(files, paths,
                                 std::vector<std::uint8_t>(bytes.begin(), bytes.end()), layers);
    };

    using Run = std::function<StoreChange()>;
    struct Operation {
        const char* name;
        Run run;
        std::vector<LayeredProfile> after;
    };
    const Operation operations[] = {
        {"New",
         [&] {
             return appendLayeredProfile(files, ini, paths, 3,
                                         [&](ProfileRecord& r) { r = fresh.base; }, {});
         },
         {a, b, c, fresh}},
        {"import with layers",
         [&] { return appendLayeredProfile(files, ini, paths, 3, imported); },
         {a, b, c, imported}},
        {"Del without layers",
         [&] { return removeLayeredProfile(files, ini, paths, 3, 1); },
         {a, c}},
        {"Del with layers", [&] { return removeLayeredProfile(files, ini, paths, 3, 0); }, {b, c}},
        {"F4 of a base with layers",
         [&] { return replaceLayeredProfile(files, paths, 3, 0, a, aSaved).change; },
         {aSaved, b, c}},
        {"F4 of a layer",
         [&] { return replaceLayeredProfile(files, paths, 3, 0, a, aLayerSaved).change; },
         {aLayerSaved, b, c}},
        {"F4 without layers",
         [&] { return replaceLayeredProfile(files, paths, 3, 1, b, bSaved).change; },
         {a, bSaved, c}},
        {"Map Confirm",
         [&] {
             return mapped({a, b, cMapped});
         },
         {a, b, cMapped}},
    };

    struct Condition {
        const char* name;
        std::function<void()> apply;
        bool layersWritable;
        bool damagesLayers;
    };
    const Condition conditions[] = {
        {"as written", [] {}, true, false},
        {"layers.bin unreadable", [&] { files.openLayersError = EACCES; }, false, false},
        {"layers.bin damaged",
         [&] {
             std::string bytes = dir.read("layers.bin");
             bytes[40] ^= 0x10;
             dir.write("layers.bin", bytes);
         },
         false, true},
        {"layers.bin read-only", [&] { files.layersReadOnly = true; }, false, false},
        {"disk full for layers.bin", [&] { files.layersWriteError = ENOSPC; }, false, false},
        {"config.bin not replaced", [&] { files.replaceStoreError = EACCES; }, true, false},
        {"setting.ini read-only", [&] { ini.readOnly = true; }, true, false},
    };
    const char* const unreadable = "layers.bin cannot be read: access denied";
    const char* const damaged = "layers.bin is damaged: its check sum does not match";
    const char* const readOnly = "layers.bin cannot be written: access denied";
    const char* const full = "layers.bin cannot be written: disk full";
    const char* const config = "config.bin cannot be written: access denied";
    const char* const countFailed = "setting.ini cannot be written: access denied";
    // One row per operation, one column per condition.
    const std::vector<std::vector<const char*>> messages = {
        {"", "", "", "", "", config, countFailed},
        {"", unreadable, damaged, readOnly, full, config, countFailed},
        {"", unreadable, damaged, "", "", config, countFailed},
        {"", unreadable, damaged, "", "", config, countFailed},
        {"", unreadable, damaged, readOnly, full, config, ""},
        {"", unreadable, damaged, readOnly, full, "", ""}, // config.bin does not change
        {"", unreadable, damaged, "", "", config, ""},
        {"", unreadable, damaged, readOnly, full, config, ""},
    };

    for (std::size_t o = 0; o < std::size(operations); ++o) {
        const Operation& operation = operations[o];
        for (std::size_t k = 0; k < std::size(conditions); ++k) {
            const Condition& condition = conditions[k];
            SCOPED_TRACE(std::string(operation.name) + ", " + condition.name);
            files.clear();
            ini.readOnly = false;
            storeProfiles({a, b, c});
            condition.apply();
            const std::string configBefore = file("config.bin");
            const std::string layersBefore = file("layers.bin");

            const StoreChange change = operation.run();
            const std::string message = messages[o][k];
            EXPECT_EQ(change.done, message.empty());
            if (!change.done) {
                EXPECT_EQ(describeChange(change), message);
            }
            files.clear();
            ini.readOnly = false;
            expectNoTemporaryFile();
            if (!change.done) {
                EXPECT_EQ(file("config.bin"), configBefore);
                EXPECT_EQ(file("layers.bin"), layersBefore);
                EXPECT_EQ(count(), 3u);
                continue;
            }
            std::vector<ProfileRecord> records;
            for (const LayeredProfile& profile : operation.after) {
                records.push_back(profile.base);
            }
            EXPECT_EQ(file("config.bin"), bytesOf(records));
            EXPECT_EQ(count(), records.size());
            const std::string layersAfter = layersFileOf(operation.after);
            EXPECT_EQ(file("layers.bin"), condition.layersWritable
                                              ? (layersAfter.empty() ? kMissing : layersAfter)
                                              : layersBefore);
            if (!condition.damagesLayers) {
                EXPECT_EQ(storedProfiles(paths), operation.after);
            }
        }
    }
}

// A folder where nobody used layers looks exactly as before: no operation without layers
// makes layers.bin. The first profile with layers makes it, and it goes with the last.
TEST_F(LayerStoreTest, LayersBinExistsOnlyWhileAProfileHasLayers) {
    storeProfiles({b});
    const LayeredProfile n{namedRecord("N"), {}};
    ASSERT_TRUE(appendLayeredProfile(files, ini, paths, 1, n).done);
    ASSERT_TRUE(replaceLayeredProfile(files, paths, 2, 0, b, {edited(b.base), {}}).change.done);
    const std::string bytes = dir.read("config.bin");
    ASSERT_TRUE(writeLayeredStore(files, paths, {bytes.begin(), bytes.end()}, {{}, {}}).done);
    ASSERT_TRUE(removeLayeredProfile(files, ini, paths, 2, 1).done);
    EXPECT_EQ(file("layers.bin"), kMissing);
    EXPECT_EQ(file("config.bin"), bytesOf(edited(b.base)));

    ASSERT_TRUE(appendLayeredProfile(files, ini, paths, 1, a).done);
    EXPECT_EQ(file("layers.bin"), layersFileOf({a}));
    ASSERT_TRUE(removeLayeredProfile(files, ini, paths, 2, 1).done);
    EXPECT_EQ(file("layers.bin"), kMissing);
    expectNoTemporaryFile();
}

// ---- The pairing ----------------------------------------------------------------------------

// Whatever the new qora does, and whatever an older one does to config.bin alone, every
// profile a fresh qora reads has its own layers or none, never another's.
TEST_F(LayerStoreTest, NoProfileEverGetsAnothersLayers) {
    const LayeredProfile aEdited{edited(a.base), {}};
    const LayeredProfile bEdited{edited(b.base), {}};
    const LayeredProfile n{namedRecord("N"), {}};
    const LayeredProfile aAgain{a.base, {}};
    const LayeredProfile aTwin{a.base, a.layers};
    const char* const identical =
        "layers.bin cannot be written: two profiles identical byte for byte would need "
        "different layers";
    auto records = [](const std::vector<ProfileRecord>& list) {
        const std::string bytes = bytesOf(list);
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    };

    struct Case {
        const char* name;
        std::function<StoreChange()> act;
        const char* message;
        std::vector<LayeredProfile> after;
    };
    const Case cases[] = {
        {"New adds a profile without layers",
         [&] { return appendLayeredProfile(files, ini, paths, 3, n); },
         "",
         {a, b, c, n}},
        {"New equal byte for byte to a profile with layers is refused",
         [&] { return appendLayeredProfile(files, ini, paths, 3, aAgain); },
         identical,
         {a, b, c}},
        {"import equal to a profile without layers, with layers, is refused",
         [&] {
             return appendLayeredProfile(files, ini, paths, 3, {b.base, layersNamed({"x"})});
         },
         identical,
         {a, b, c}},
        {"import equal to a profile with the same layers shares them",
         [&] { return appendLayeredProfile(files, ini, paths, 3, aTwin); },
         "",
         {a, b, c, aTwin}},
        {"New equal to a profile an older qora deleted gets none of its layers",
         [&] {
             writeConfig({b, c}); // the older qora's Del: layers.bin still has A's
             return appendLayeredProfile(files, ini, paths, 2, aAgain);
         },
         "",
         {b, c, aAgain}},
        {"Del takes only the deleted profile's layers",
         [&] { return removeLayeredProfile(files, ini, paths, 3, 0); },
         "",
         {b, c}},
        {"an older qora's edit detaches the layers, and the next write drops them",
         [&] {
             writeConfig({aEdited, b, c});
             EXPECT_EQ(storedProfiles(paths), (std::vector<LayeredProfile>{aEdited, b, c}));
             return writeLayeredStore(files, paths, records({aEdited.base, bEdited.base, c.base}),
                                      {{}, {}, c.layers});
         },
         "",
         {aEdited, bEdited, c}},
        {"an older qora's new order keeps each profile's layers",
         [&] {
             writeConfig({c, b, a});
             return StoreChange{true, {}, std::nullopt};
         },
         "",
         {c, b, a}},
        {"Map Confirm moves the layers with the edited profile",
         [&] {
             return writeLayeredStore(files, paths, records({aEdited.base, b.base, c.base}),
                                      {a.layers, {}, c.layers});
         },
         "",
         {{aEdited.base, a.layers}, b, c}},
        {"Map Confirm that would make twins with other layers is refused",
         [&] {
             return writeLayeredStore(files, paths, records({a.base, a.base, c.base}),
                                      {a.layers, {}, c.layers});
         },
         identical,
         {a, b, c}},
        {"Map Confirm that gives a record another's bytes as that one moves on is refused",
         [&] {
             // Until config.bin is written, A would read B's layers, none.
             return writeLayeredStore(files, paths, records({aEdited.base, a.base, c.base}),
                                      {a.layers, {}, c.layers});
         },
         identical,
         {a, b, c}},
        {"Map Confirm puts back a record changed meanwhile with its layers as at open",
         [&] {
             const LayeredProfile bSaved{bEdited.base, layersNamed({"new"})};
             EXPECT_TRUE(replaceLayeredProfile(files, paths, 3, 1, b, bSaved).change.done);
             return writeLayeredStore(files, paths, records({a.base, b.base, c.base}),
                                      {a.layers, {}, c.layers});
         },
         "",
         {a, b, c}},
        {"F4 of a layer changes that profile's layers alone",
         [&] {
             return replaceLayeredProfile(files, paths, 3, 2, c, {c.base, layersNamed({"car"})})
                 .change;
         },
         "",
         {a, b, {c.base, layersNamed({"car"})}}},
        {"F4 of a layer shared by twins is refused",
         [&] {
             writeConfig({a, b, c, aTwin});
             return replaceLayeredProfile(files, paths, 4, 0, a, {a.base, layersNamed({"x"})})
                 .change;
         },
         identical,
         {a, b, c, aTwin}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        storeProfiles({a, b, c});
        const StoreChange change = test.act();
        EXPECT_EQ(change.done, *test.message == '\0');
        if (!change.done) {
            EXPECT_EQ(describeChange(change), test.message);
        }
        EXPECT_EQ(storedProfiles(paths), test.after);
        const std::string layers = layersFileOf(test.after);
        if (change.done) {
            EXPECT_EQ(file("layers.bin"), layers.empty() ? kMissing : layers);
        }
        expectNoTemporaryFile();
    }
}

// F4 writes back only what the run loaded: a profile whose record or layers changed since,
// or that is gone, is left alone.
TEST_F(LayerStoreTest, AReplaceWritesOnlyWhatItLoaded) {
    const LayeredProfile saved{edited(a.base), a.layers};
    struct Case {
        const char* name;
        std::uint32_t count;
        std::uint32_t index;
        LayeredProfile expected;
        RecordCheck check;
    };
    const Case cases[] = {
        {"as loaded", 3, 0, a, RecordCheck::same},
        {"its record changed", 3, 0, {edited(a.base, 0x30), a.layers}, RecordCheck::changed},
        {"its layers changed", 3, 0, {a.base, layersNamed({"other"})}, RecordCheck::changed},
        {"its layers were added", 3, 1, {b.base, {}}, RecordCheck::same},
        {"deleted", 3, 3, a, RecordCheck::gone},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        storeProfiles({a, b, c});
        const std::string config = file("config.bin");
        const std::string layers = file("layers.bin");
        const LayeredReplace replaced =
            replaceLayeredProfile(files, paths, test.count, test.index, test.expected, saved);
        EXPECT_EQ(replaced.check, test.check);
        EXPECT_EQ(replaced.change.done, test.check == RecordCheck::same);
        if (!replaced.change.done) {
            EXPECT_EQ(file("config.bin"), config);
            EXPECT_EQ(file("layers.bin"), layers);
        }
    }
}

// A crash after any of an operation's file writes, simulated by a process that stops
// changing files after that many: each profile a fresh qora then reads is one of the old
// or new profiles, with its own old or new layers. A read-only setting.ini adds the crash
// between config.bin and COUNT: config.bin is then not put back, and COUNT may name a
// record past its end (zeros, no profile's), as profiles/store.h says it may.
TEST_F(LayerStoreTest, ACrashBetweenTheWritesNeverGivesAProfileAnothersLayers) {
    const LayeredProfile imported{namedRecord("I"), layersNamed({"ADS", "walk"})};
    const LayeredProfile aSaved{edited(a.base), layersNamed({"ADS slower"})};
    const LayeredProfile cMapped{edited(c.base, 0x21), c.layers};
    struct Operation {
        const char* name;
        std::function<void()> run;
        std::vector<LayeredProfile> after;
    };
    const Operation operations[] = {
        {"import with layers",
         [&] { appendLayeredProfile(files, ini, paths, 3, imported); },
         {a, b, c, imported}},
        {"Del with layers", [&] { removeLayeredProfile(files, ini, paths, 3, 0); }, {b, c}},
        {"F4", [&] { replaceLayeredProfile(files, paths, 3, 0, a, aSaved); }, {aSaved, b, c}},
        {"Map Confirm",
         [&] {
             const std::string bytes = bytesOf({a.base, b.base, cMapped.base});
             writeLayeredStore(files, paths, {bytes.begin(), bytes.end()},
                               {a.layers, {}, c.layers});
         },
         {a, b, cMapped}},
    };
    const std::vector<LayeredProfile> before = {a, b, c};
    // The profile a record is, by its name, and what layers it may have.
    auto allowed = [&](const Operation& operation, const LayeredProfile& found) {
        if (found.base == ProfileRecord{}) {
            return found.layers.empty();
        }
        for (const auto* list : {&before, &operation.after}) {
            for (const LayeredProfile& profile : *list) {
                if (profileName(profile.base) == profileName(found.base) &&
                    profile.layers == found.layers) {
                    return true;
                }
            }
        }
        return false;
    };
    auto bases = [](const std::vector<LayeredProfile>& profiles) {
        std::vector<ProfileRecord> records;
        for (const LayeredProfile& profile : profiles) {
            records.push_back(profile.base);
        }
        return records;
    };
    for (const Operation& operation : operations) {
        for (int writes = 0; writes <= 4; ++writes) {
            for (const bool countRefused : {false, true}) {
                SCOPED_TRACE(std::string(operation.name) + ", stopped after " +
                             std::to_string(writes) + " writes" +
                             (countRefused ? ", COUNT refused" : ""));
                files.clear();
                storeProfiles(before);
                files.changesBeforeCrash = writes;
                ini.readOnly = countRefused;
                operation.run();
                files.clear();
                ini.readOnly = false;

                const std::vector<LayeredProfile> found = storedProfiles(paths);
                const std::vector<ProfileRecord> records = bases(found);
                EXPECT_TRUE(records == bases(before) || records == bases(operation.after) ||
                            countRefused);
                for (const LayeredProfile& profile : found) {
                    EXPECT_TRUE(allowed(operation, profile)) << profileName(profile.base);
                }
            }
        }
    }
}

// When setting.ini refuses COUNT and config.bin cannot be put back either, config.bin holds
// the new records and COUNT the old: layers.bin, not put back, pairs with both.
TEST_F(LayerStoreTest, AStoreThatCannotBePutBackKeepsLayersThatPairWithEither) {
    storeProfiles({a, b, c});
    const LayeredProfile imported{namedRecord("I"), layersNamed({"walk"})};
    ini.readOnly = true;
    files.replaceStoreError = EACCES;
    files.replacesBeforeError = 1;
    const StoreChange change = appendLayeredProfile(files, ini, paths, 3, imported);
    EXPECT_FALSE(change.done);
    EXPECT_EQ(describeChange(change), "setting.ini cannot be written: access denied\n"
                                      "config.bin cannot be written: access denied");
    EXPECT_EQ(storedProfiles(paths), (std::vector<LayeredProfile>{a, b, c}));
    ini.readOnly = false;
    setCount(4);
    EXPECT_EQ(storedProfiles(paths), (std::vector<LayeredProfile>{a, b, c, imported}));
}

} // namespace
} // namespace qora
