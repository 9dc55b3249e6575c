#include "profiles/setting_dialog.h"

#include "dialog_test_fixture.h"
#include "fakes/failing_file_api.h"
#include "layered_store.h"
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace qora {
namespace {

using testing::FailingFileApi;
using testing::namedRecord;
using testing::patternedRecord;

constexpr std::uint32_t kLbnSelChange = 1;

class SettingDialogTest : public testing::DialogTest {
protected:
    void storeProfiles(const std::vector<ProfileRecord>& records, std::int32_t current) {
        writeConfig(records);
        setIni(kCountKey, std::to_string(records.size()));
        setIni(kCurrentKey, std::to_string(current));
    }

    void open() {
        dialogs.addSettingDialog(dialog);
        EXPECT_TRUE(initSettingDialog(env, dialog));
    }

    void command(std::int32_t id, std::uint32_t notification = 0) {
        EXPECT_TRUE(onSettingCommand(env, dialog, id, notification));
    }
    void command(SettingDialogEnvironment& other, std::int32_t id) {
        EXPECT_TRUE(onSettingCommand(other, dialog, id, 0));
    }

    testing::FakeControl& list() { return dialogs.control(dialog, IDC_SETTING_LIST); }
    std::vector<std::string>& entries() { return list().items; }
    std::intptr_t selection() { return list().selection; }
    void select(std::intptr_t index) { dialogs.selectItem(dialog, IDC_SETTING_LIST, index); }
    void typeName(const std::string& name) { dialogs.type(dialog, IDC_SETTING_NAME, name); }

    ConsoleMode mode = kConsoleXbox360;
    testing::FakeMapDialogOpener mapDialogs;
    SettingDialogEnvironment env{files, ini, user, dialogs, paths, mode, mapDialogs};
    WindowHandle const dialog = reinterpret_cast<WindowHandle>(0x1360);
};

std::vector<std::string> names(std::initializer_list<const char*> list) {
    return {list.begin(), list.end()};
}

// ---- Opening ----------------------------------------------------------------------------

TEST_F(SettingDialogTest, OpenOffersANameOfAtMost32CharactersAndListsTheStoreInOrder) {
    storeProfiles({namedRecord("zeta"), namedRecord("alpha"), namedRecord("mid")}, 1);
    open();

    EXPECT_EQ(dialogs.control(dialog, IDC_SETTING_NAME).text, "new configuration name");
    EXPECT_EQ(dialogs.control(dialog, IDC_SETTING_NAME).textLimit, 32u);
    EXPECT_EQ(entries(), names({"zeta", "alpha", "mid"}));
    EXPECT_EQ(selection(), 1);
}

TEST_F(SettingDialogTest, OpenReadsOnlyCountRecordsAndSelectsNothingForACurrentOutOfRange) {
    for (const char* current : {"2", "-1", "99"}) {
        SCOPED_TRACE(current);
        writeConfig({namedRecord("a"), namedRecord("b"), namedRecord("beyond count")});
        setIni(kCountKey, "2");
        setIni(kCurrentKey, current);
        open();
        EXPECT_EQ(entries(), names({"a", "b"}));
        EXPECT_EQ(selection(), -1);
    }
}

TEST_F(SettingDialogTest, OpenOnAShortStoreListsEmptyNamesForTheMissingRecords) {
    storeProfiles({namedRecord("kept")}, 0);
    setIni(kCountKey, "3");
    open();
    EXPECT_EQ(entries(), names({"kept", "", ""}));
}

TEST_F(SettingDialogTest, ANameWithoutTerminatorIsCutAtItsField) {
    ProfileRecord record = patternedRecord(5);
    for (std::size_t i = 0; i < profile::nameSize; ++i) {
        record.bytes[i] = 'n';
    }
    storeProfiles({record}, 0);
    open();
    EXPECT_EQ(entries(), std::vector<std::string>{std::string(profile::nameSize, 'n')});
}

// ---- New --------------------------------------------------------------------------------

TEST_F(SettingDialogTest, NewAppendsSelectsAndStoresANameWithScalesOfOne) {
    storeProfiles({namedRecord("first")}, 0);
    open();
    typeName("Shooter");
    command(IDC_SETTING_NEW);

    EXPECT_EQ(entries(), names({"first", "Shooter"}));
    EXPECT_EQ(selection(), 1);
    EXPECT_EQ(iniValue(kCountKey), "2");
    EXPECT_EQ(iniValue(kCurrentKey), "0");
    EXPECT_EQ(config().size(), 2 * kProfileRecordSize);
    EXPECT_EQ(storedRecord(0), namedRecord("first"));
    EXPECT_EQ(storedRecord(1), namedRecord("Shooter"));
    EXPECT_EQ(dialogs.control(dialog, IDC_SETTING_NAME).text, "Shooter");
}

TEST_F(SettingDialogTest, NewWithAnEmptyNameMakesAnEmptyEntry) {
    open();
    typeName("");
    command(IDC_SETTING_NEW);
    EXPECT_EQ(entries(), names({""}));
    EXPECT_EQ(storedRecord(0), namedRecord(""));
    EXPECT_EQ(iniValue(kCountKey), "1");
}

TEST_F(SettingDialogTest, NewReadsAtMost32CharactersOfTheName) {
    open();
    // Text set by the program is not held to the typing limit.
    dialogs.setDlgItemText(dialog, IDC_SETTING_NAME, std::string(40, 'x').c_str());
    command(IDC_SETTING_NEW);
    EXPECT_EQ(entries(), std::vector<std::string>{std::string(32, 'x')});
    EXPECT_EQ(profileName(storedRecord(0)), std::string(32, 'x'));
}

TEST_F(SettingDialogTest, NewTakesOverARecordBeyondCountReplacingOnlyNameAndScales) {
    ProfileRecord stale = patternedRecord(7);
    setProfileName(stale, "a long stale name of the old record");
    writeConfig({namedRecord("first"), stale});
    setIni(kCountKey, "1");
    open();
    typeName("new");
    command(IDC_SETTING_NEW);

    ProfileRecord expected = stale;
    setProfileName(expected, "new");
    writeZoomScale(expected, profile::xZoomScale, 1.0f);
    writeZoomScale(expected, profile::yZoomScale, 1.0f);
    const ProfileRecord stored = storedRecord(1);
    EXPECT_EQ(stored, expected);
    // The shorter name ends with its NUL; the stale tail of the field stays.
    EXPECT_EQ(stored.bytes[3], 0);
    EXPECT_EQ(stored.bytes[4], 'n'); // "a lo[n]g ..."
}

TEST_F(SettingDialogTest, NewWhoseStoreWriteFailsTakesTheEntryBackAndLeavesCount) {
    storeProfiles({namedRecord("a"), namedRecord("b")}, 0);
    open();
    select(0);
    const std::string before = config();
    FailingFileApi failing(FailingFileApi::Failure::createTemporary);
    SettingDialogEnvironment broken{failing, ini, user, dialogs, paths, mode, mapDialogs};
    typeName("lost");
    command(broken, IDC_SETTING_NEW);

    EXPECT_EQ(entries(), names({"a", "b"}));
    EXPECT_EQ(selection(), 0);
    EXPECT_EQ(iniValue(kCountKey), "2");
    EXPECT_EQ(config(), before);

    // With nothing selected before, nothing is selected after.
    select(-1);
    command(broken, IDC_SETTING_NEW);
    EXPECT_EQ(selection(), -1);
    EXPECT_EQ(entries().size(), 2u);
}

TEST_F(SettingDialogTest, NewRefusesAProfileBeyondWhatCountCanHold) {
    open();
    entries().assign(kMaxProfileCount, "p");
    command(IDC_SETTING_NEW);
    EXPECT_EQ(entries().size(), kMaxProfileCount);
    EXPECT_EQ(iniValue(kCountKey), "(none)");
}

// ---- Del --------------------------------------------------------------------------------

TEST_F(SettingDialogTest, DelAsksWithTheWarningBoxFirst) {
    storeProfiles({namedRecord("a")}, 0);
    open();
    user.messageBoxAnswer = kIdNo;
    command(IDC_SETTING_DEL);

    ASSERT_EQ(user.messageBoxes.size(), 1u);
    EXPECT_EQ(user.messageBoxes[0].owner, dialog);
    EXPECT_EQ(user.messageBoxes[0].text, "Delete this configuatin?");
    EXPECT_EQ(user.messageBoxes[0].caption, "Warning");
    EXPECT_EQ(user.messageBoxes[0].type, kMbYesNo);
}

TEST_F(SettingDialogTest, AnsweringNoChangesNothing) {
    storeProfiles({namedRecord("a"), namedRecord("b")}, 1);
    open();
    const std::string config0 = config();
    const std::string ini0 = dir.read("setting.ini");
    user.messageBoxAnswer = kIdNo;
    command(IDC_SETTING_DEL);

    EXPECT_EQ(entries(), names({"a", "b"}));
    EXPECT_EQ(selection(), 1);
    EXPECT_EQ(config(), config0);
    EXPECT_EQ(dir.read("setting.ini"), ini0);
}

TEST_F(SettingDialogTest, DelWithoutSelectionDoesNotEvenAsk) {
    storeProfiles({namedRecord("a")}, 5);
    open();
    command(IDC_SETTING_DEL);
    EXPECT_TRUE(user.messageBoxes.empty());
    EXPECT_EQ(entries().size(), 1u);
}

TEST_F(SettingDialogTest, DelOfTheLastOfThreeSelectsTheOneBefore) {
    storeProfiles({namedRecord("a"), namedRecord("b"), namedRecord("c")}, 2);
    open();
    user.messageBoxAnswer = kIdYes;
    command(IDC_SETTING_DEL);

    EXPECT_EQ(entries(), names({"a", "b"}));
    EXPECT_EQ(selection(), 1);
    EXPECT_EQ(iniValue(kCurrentKey), "1");
    EXPECT_EQ(iniValue(kCountKey), "2");
    EXPECT_EQ(config(), testing::bytesOf({namedRecord("a"), namedRecord("b")}));
}

TEST_F(SettingDialogTest, DelOfTheFirstOfThreeSelectsTheOneThatMovedUp) {
    storeProfiles({namedRecord("a"), namedRecord("b"), namedRecord("c")}, 0);
    open();
    user.messageBoxAnswer = kIdYes;
    command(IDC_SETTING_DEL);

    EXPECT_EQ(entries(), names({"b", "c"}));
    EXPECT_EQ(selection(), 0);
    EXPECT_EQ(iniValue(kCurrentKey), "0");
    EXPECT_EQ(iniValue(kCountKey), "2");
    EXPECT_EQ(config(), testing::bytesOf({namedRecord("b"), namedRecord("c")}));
}

TEST_F(SettingDialogTest, DelOfTheOnlyProfileEmptiesEverythingButCurrent) {
    storeProfiles({namedRecord("only")}, 0);
    setIni(kCurrentKey, "0");
    open();
    setIni(kCurrentKey, "7"); // whatever CURRENT holds is left alone
    user.messageBoxAnswer = kIdYes;
    command(IDC_SETTING_DEL);

    EXPECT_TRUE(entries().empty());
    EXPECT_EQ(config(), "");
    EXPECT_EQ(iniValue(kCountKey), "0");
    EXPECT_EQ(iniValue(kCurrentKey), "7");
}

TEST_F(SettingDialogTest, DelThatCouldNotRewriteTheStoreKeepsListCountAndCurrent) {
    storeProfiles({namedRecord("a"), namedRecord("b"), namedRecord("c")}, 1);
    open();
    const std::string before = config();
    FailingFileApi failing(FailingFileApi::Failure::move);
    SettingDialogEnvironment broken{failing, ini, user, dialogs, paths, mode, mapDialogs};
    user.messageBoxAnswer = kIdYes;
    command(broken, IDC_SETTING_DEL);

    EXPECT_EQ(entries(), names({"a", "b", "c"}));
    EXPECT_EQ(selection(), 1);
    EXPECT_EQ(iniValue(kCountKey), "3");
    EXPECT_EQ(iniValue(kCurrentKey), "1");
    EXPECT_EQ(config(), before);
}

// ---- Map --------------------------------------------------------------------------------

TEST_F(SettingDialogTest, MapOpensTheTemplateOfTheConsoleOnTheSelection) {
    storeProfiles({namedRecord("a"), namedRecord("b")}, 1);
    open();
    mode = kConsolePs3;
    command(IDC_SETTING_MAP);
    mode = kConsoleXbox360;
    select(0);
    command(IDC_SETTING_LIST, kLbnDblClk);

    ASSERT_EQ(mapDialogs.calls.size(), 2u);
    EXPECT_EQ(mapDialogs.calls[0].owner, dialog);
    EXPECT_EQ(mapDialogs.calls[0].templateId, 139);
    EXPECT_EQ(mapDialogs.calls[0].profileIndex, 1);
    EXPECT_EQ(mapDialogs.calls[1].templateId, 140);
    EXPECT_EQ(mapDialogs.calls[1].profileIndex, 0);
    // The Setting dialog neither refreshes nor ends afterwards.
    EXPECT_EQ(entries(), names({"a", "b"}));
    EXPECT_TRUE(dialogs.endedDialogs.empty());
}

TEST_F(SettingDialogTest, MapDoesNothingForOtherConsolesOrWithoutSelection) {
    storeProfiles({namedRecord("a")}, 0);
    open();
    for (const ConsoleMode other : {kConsoleNotSet, 2, -7}) {
        mode = other;
        command(IDC_SETTING_MAP);
    }
    mode = kConsolePs3;
    select(-1);
    command(IDC_SETTING_MAP);
    command(IDC_SETTING_LIST, kLbnDblClk);
    EXPECT_TRUE(mapDialogs.calls.empty());
}

TEST_F(SettingDialogTest, OnlyADoubleClickInTheListOpensTheMapDialog) {
    storeProfiles({namedRecord("a")}, 0);
    open();
    EXPECT_FALSE(onSettingCommand(env, dialog, IDC_SETTING_LIST, kLbnSelChange));
    EXPECT_FALSE(onSettingCommand(env, dialog, IDC_SETTING_NAME, kEnChange));
    EXPECT_TRUE(mapDialogs.calls.empty());
}

TEST_F(SettingDialogTest, MapOnAnEntryTheStoreDoesNotHoldDoesNothing) {
    storeProfiles({namedRecord("a"), namedRecord("b"), namedRecord("c")}, 2);
    open();
    setIni(kCountKey, "2"); // the list and COUNT no longer agree
    command(IDC_SETTING_MAP);
    EXPECT_TRUE(mapDialogs.calls.empty());
}

// ---- Confirm and Cancel -----------------------------------------------------------------

TEST_F(SettingDialogTest, ConfirmRecordsTheSelectionAndEndsWithOne) {
    storeProfiles({namedRecord("a"), namedRecord("b")}, 0);
    open();
    select(1);
    command(IDC_CONFIRM);
    EXPECT_EQ(iniValue(kCurrentKey), "1");
    ASSERT_EQ(dialogs.endedDialogs.size(), 1u);
    EXPECT_EQ(dialogs.endedDialogs[0].result, kSettingDialogConfirmed);
}

TEST_F(SettingDialogTest, ConfirmWithoutSelectionWritesMinusOne) {
    storeProfiles({namedRecord("a")}, 3);
    open();
    command(IDC_CONFIRM);
    EXPECT_EQ(iniValue(kCurrentKey), "-1");
}

TEST_F(SettingDialogTest, CancelAfterNewKeepsTheProfileAndCountButNotTheSelection) {
    storeProfiles({namedRecord("a")}, 0);
    open();
    typeName("b");
    command(IDC_SETTING_NEW);
    command(IDC_CANCEL);

    EXPECT_EQ(iniValue(kCountKey), "2");
    EXPECT_EQ(iniValue(kCurrentKey), "0");
    EXPECT_EQ(storedRecord(1), namedRecord("b"));
    ASSERT_EQ(dialogs.endedDialogs.size(), 1u);
    EXPECT_EQ(dialogs.endedDialogs[0].result, kSettingDialogCancelled);
}

// ---- Files that cannot be read or written -----------------------------------------------

TEST_F(SettingDialogTest, TheListIsFilledWithoutRedrawingIntoReservedStorage) {
    storeProfiles({namedRecord("zeta"), namedRecord("al"), namedRecord("")}, 0);
    open();
    EXPECT_EQ(list().itemsAddedWhileRedrawing, 0u);
    EXPECT_TRUE(list().redraws);
    EXPECT_EQ(list().reservedItems, 3u);
    EXPECT_EQ(list().reservedBytes, 5u + 3u + 1u);
    ASSERT_FALSE(user.calls.empty());
    EXPECT_EQ(user.calls.back(), "InvalidateRect erase"); // the list, drawn once when filled
}

// Every command under each condition: the message it shows (none for ""). Each condition
// defeats New and Del, so afterwards the list, config.bin and COUNT are all as they were.
TEST_F(SettingDialogTest, EveryCommandSaysWhatCouldNotBeReadOrWrittenAndChangesNothing) {
    using Restrict =
        std::function<void(testing::RestrictedFileApi&, testing::RestrictedProfileFile&)>;
    struct Condition {
        const char* name;
        Restrict restrict;
        const char* atOpen;
        const char* onNewAndDel;
        const char* onMap;
        const char* onConfirm;
    };
    const char* const denied = "config.bin cannot be read: access denied";
    const char* const iniDenied = "setting.ini cannot be written: access denied";
    const Condition conditions[] = {
        {"config.bin read-only", [](auto& f, auto&) { f.storeReadOnly = true; }, "",
         "config.bin cannot be written: access denied", "", ""},
        {"config.bin unreadable", [](auto& f, auto&) { f.openStoreError = EACCES; }, denied, denied,
         denied, ""},
        {"config.bin another account's",
         [](auto& f, auto&) {
             f.openStoreError = EACCES;
             f.replaceStoreError = EACCES;
         },
         denied, denied, denied, ""},
        {"config.bin held open by another program",
         [](auto& f, auto&) {
             f.openStoreError = EBUSY;
             f.replaceStoreError = EBUSY;
         },
         "config.bin cannot be read: in use by another program",
         "config.bin cannot be read: in use by another program",
         "config.bin cannot be read: in use by another program", ""},
        {"folder read-only", [](auto& f, auto&) { f.createTemporaryError = EACCES; }, "",
         "config.bin cannot be written: access denied", "", ""},
        {"disk full", [](auto& f, auto&) { f.writeError = ENOSPC; }, "",
         "config.bin cannot be written: disk full", "", ""},
        {"setting.ini read-only", [](auto&, auto& i) { i.readOnly = true; }, "", iniDenied, "",
         iniDenied},
    };
    enum class Command { newProfile, del, map, confirm, cancel };
    const std::pair<Command, const char*> commands[] = {
        {Command::newProfile, "New"},  {Command::del, "Del"},       {Command::map, "Map"},
        {Command::confirm, "Confirm"}, {Command::cancel, "Cancel"},
    };

    std::intptr_t handle = 0x2000;
    for (const Condition& condition : conditions) {
        for (const auto& [command, commandName] : commands) {
            SCOPED_TRACE(std::string(condition.name) + ", " + commandName);
            files.clear();
            ini.readOnly = false;
            storeProfiles({namedRecord("a"), namedRecord("b"), namedRecord("c")}, 1);
            const std::string configBefore = config();
            condition.restrict(files, ini);
            user.messageBoxes.clear();
            mapDialogs.calls.clear();
            dialogs.endedDialogs.clear();

            WindowHandle const window = reinterpret_cast<WindowHandle>(++handle);
            dialogs.addSettingDialog(window);
            initSettingDialog(env, window);
            const std::vector<std::string> listed = dialogs.control(window, IDC_SETTING_LIST).items;
            dialogs.type(window, IDC_SETTING_NAME, "fresh");
            user.messageBoxAnswer = kIdYes;
            const std::int32_t id = command == Command::newProfile ? IDC_SETTING_NEW
                                    : command == Command::del      ? IDC_SETTING_DEL
                                    : command == Command::map      ? IDC_SETTING_MAP
                                    : command == Command::confirm  ? IDC_CONFIRM
                                                                   : IDC_CANCEL;
            EXPECT_TRUE(onSettingCommand(env, window, id, 0));

            const char* const expected = command == Command::newProfile || command == Command::del
                                             ? condition.onNewAndDel
                                         : command == Command::map     ? condition.onMap
                                         : command == Command::confirm ? condition.onConfirm
                                                                       : "";
            std::vector<std::string> wanted;
            for (const char* text : {condition.atOpen, expected}) {
                if (*text != '\0') {
                    wanted.emplace_back(text);
                }
            }
            std::vector<std::string> shown;
            for (const auto& box : user.messageBoxes) {
                if (box.text != kDeleteConfirmationText) {
                    EXPECT_EQ(box.caption, "Warning");
                    EXPECT_EQ(box.owner, window);
                    shown.push_back(box.text);
                }
            }
            EXPECT_EQ(shown, wanted);

            EXPECT_EQ(dialogs.control(window, IDC_SETTING_LIST).items, listed);
            EXPECT_EQ(config(), configBefore);
            EXPECT_EQ(iniValue(kCountKey), "3");
            const bool opensMap = command == Command::map && *expected == '\0';
            EXPECT_EQ(mapDialogs.calls.size(), opensMap ? 1u : 0u);
            const bool ends =
                command == Command::cancel || (command == Command::confirm && *expected == '\0');
            EXPECT_EQ(dialogs.endedDialogs.size(), ends ? 1u : 0u);
        }
    }
}

// ---- Layers -----------------------------------------------------------------------------

class SettingDialogLayersTest : public SettingDialogTest {
protected:
    // The profiles in config.bin and COUNT, their layers in layers.bin, CURRENT 0.
    void storeLayered(const std::vector<LayeredProfile>& profiles) {
        std::vector<ProfileRecord> records;
        for (const LayeredProfile& profile : profiles) {
            records.push_back(profile.base);
        }
        storeProfiles(records, 0);
        dir.write("layers.bin", testing::layersFileOf(profiles));
    }

    const LayeredProfile a{namedRecord("a"), testing::layersNamed({"ADS"})};
    const LayeredProfile b{namedRecord("b"), {}};
    const LayeredProfile c{namedRecord("c"), testing::layersNamed({"car", "map"})};
};

// Del takes the deleted profile's layers and no other's; New adds one without layers.
TEST_F(SettingDialogLayersTest, NewAndDelKeepEveryOtherProfilesLayers) {
    storeLayered({a, b, c});
    open();
    typeName("d");
    command(IDC_SETTING_NEW);
    select(0);
    user.messageBoxAnswer = kIdYes;
    command(IDC_SETTING_DEL);

    EXPECT_EQ(entries(), names({"b", "c", "d"}));
    const LayeredProfile d{namedRecord("d"), {}};
    EXPECT_EQ(testing::storedProfiles(paths), (std::vector<LayeredProfile>{b, c, d}));
    EXPECT_EQ(dir.read("layers.bin"), testing::layersFileOf({c}));
}

// A new profile equal byte for byte to one with layers would share them: New refuses it,
// and the list stays as the store.
TEST_F(SettingDialogLayersTest, NewEqualToAProfileWithLayersIsRefused) {
    storeLayered({a, b, c});
    open();
    const std::string before = config();
    typeName("a");
    command(IDC_SETTING_NEW);

    ASSERT_EQ(user.messageBoxes.size(), 1u);
    EXPECT_EQ(user.messageBoxes[0].text, "layers.bin cannot be written: two profiles identical "
                                         "byte for byte would need different layers");
    EXPECT_EQ(entries(), names({"a", "b", "c"}));
    EXPECT_EQ(config(), before);
    EXPECT_EQ(iniValue(kCountKey), "3");
}

// While layers.bin cannot be read or is damaged, Del and Map refuse with its message and
// change nothing; New, which adds a profile without layers, goes on.
TEST_F(SettingDialogLayersTest, DelAndMapRefuseWhileLayersBinCannotBeUsed) {
    const std::pair<std::function<void()>, const char*> conditions[] = {
        {[this] { files.openLayersError = EACCES; }, "layers.bin cannot be read: access denied"},
        {[this] { dir.write("layers.bin", "qoraLAYR"); },
         "layers.bin is damaged: its header is not one qora writes"},
    };
    for (const auto& [condition, message] : conditions) {
        SCOPED_TRACE(message);
        files.clear();
        storeLayered({a, b, c});
        condition();
        const std::string layersBefore = dir.read("layers.bin");
        user.messageBoxes.clear();
        mapDialogs.calls.clear();
        open();
        user.messageBoxAnswer = kIdYes;
        command(IDC_SETTING_DEL);
        command(IDC_SETTING_MAP);
        typeName("d");
        command(IDC_SETTING_NEW);

        std::vector<std::string> shown;
        for (const auto& box : user.messageBoxes) {
            if (box.text != kDeleteConfirmationText) {
                shown.push_back(box.text);
            }
        }
        EXPECT_EQ(shown, (std::vector<std::string>{message, message}));
        EXPECT_TRUE(mapDialogs.calls.empty());
        EXPECT_EQ(entries(), names({"a", "b", "c", "d"}));
        EXPECT_EQ(iniValue(kCountKey), "4");
        EXPECT_EQ(dir.read("layers.bin"), layersBefore);
    }
}

} // namespace
} // namespace qora
