#include "platform/program_paths.h"

#include <gtest/gtest.h>

namespace qora {
namespace {

TEST(ProgramPaths, FilesLiveBesideTheExecutable) {
    const ProgramPaths paths = makeProgramPaths(directoryOf("C:\\games\\qora\\qora.exe"));
    EXPECT_EQ(paths.directory, "C:\\games\\qora\\");
    EXPECT_EQ(paths.settingIni, "C:\\games\\qora\\setting.ini");
    EXPECT_EQ(paths.configBin, "C:\\games\\qora\\config.bin");
    EXPECT_EQ(paths.layersBin, "C:\\games\\qora\\layers.bin");
    EXPECT_EQ(paths.packetsBin, "C:\\games\\qora\\packets.bin");
    EXPECT_EQ(paths.packetsOldBin, "C:\\games\\qora\\packets.old.bin");
}

TEST(ProgramPaths, DirectoryOfTakesTheLastSeparatorOfEitherKind) {
    EXPECT_EQ(directoryOf("/tmp/run/qora.exe"), "/tmp/run/");
    EXPECT_EQ(directoryOf("C:/a\\b/qora.exe"), "C:/a\\b/");
    EXPECT_EQ(directoryOf("qora.exe"), "");
}

} // namespace
} // namespace qora
