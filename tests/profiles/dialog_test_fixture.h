#pragma once
// Common ground of the dialog tests: real config.bin and setting.ini in a temporary
// directory (restricted on demand), the in-memory controls, and helpers to lay out a store.

#include "fakes/fake_dialog_api.h"
#include "fakes/fake_user_api.h"
#include "fakes/restricted_files.h"
#include "fakes/temp_directory.h"
#include "formats/profile_record.h"
#include "platform/program_paths.h"
#include "profiles/store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qora::testing {

// A record whose bytes all differ from zero and from each other's neighbours, so any
// byte a dialog should not touch shows when it does.
inline ProfileRecord patternedRecord(std::uint8_t seed) {
    ProfileRecord record;
    for (std::size_t i = 0; i < kProfileRecordSize; ++i) {
        record.bytes[i] = static_cast<std::uint8_t>(seed * 31 + i * 7 + 1);
    }
    return record;
}

inline ProfileRecord namedRecord(const std::string& name) {
    ProfileRecord record;
    setProfileName(record, name);
    writeZoomScale(record, profile::xZoomScale, 1.0f);
    writeZoomScale(record, profile::yZoomScale, 1.0f);
    return record;
}

inline std::string bytesOf(const std::vector<ProfileRecord>& records) {
    std::string bytes;
    for (const ProfileRecord& record : records) {
        bytes.append(reinterpret_cast<const char*>(record.bytes.data()), kProfileRecordSize);
    }
    return bytes;
}

inline std::string bytesOf(const ProfileRecord& record) {
    return bytesOf(std::vector<ProfileRecord>{record});
}

class DialogTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(dialogs.misuse, std::vector<std::string>{}); }

    void writeConfig(const std::vector<ProfileRecord>& records) {
        dir.write("config.bin", bytesOf(records));
    }
    std::string config() const { return dir.read("config.bin"); }

    ProfileRecord storedRecord(std::size_t index) const {
        const std::string bytes = config();
        EXPECT_GE(bytes.size(), (index + 1) * kProfileRecordSize);
        ProfileRecord record;
        if (bytes.size() >= (index + 1) * kProfileRecordSize) {
            for (std::size_t i = 0; i < kProfileRecordSize; ++i) {
                record.bytes[i] = static_cast<std::uint8_t>(bytes[index * kProfileRecordSize + i]);
            }
        }
        return record;
    }

    void setIni(const std::string& key, const std::string& value) {
        ini.writePrivateProfileString(kConfigurationSection, key.c_str(), value.c_str(),
                                      paths.settingIni.c_str());
    }
    // The value as written in setting.ini; "(none)" when the key is missing.
    std::string iniValue(const std::string& key) {
        char value[64] = {};
        ini.getPrivateProfileString(kConfigurationSection, key.c_str(), "(none)", value,
                                    sizeof value, paths.settingIni.c_str());
        return value;
    }

    TempDirectory dir;
    ProgramPaths paths = makeProgramPaths(dir.path());
    RestrictedFileApi files;
    RestrictedProfileFile ini;
    FakeUserApi user;
    FakeDialogApi dialogs;
    FakeModesDialogOpener modesDialogs;
};

} // namespace qora::testing
