// Files kept beside the program when its folder takes no files (an installed
// program's folder): the routing preset moves to the data folder, and a load
// finds what was stored last.
#include "app/program_folder.h"
#include "app/session.h"
#include "support/scripted_interaction.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace varento;
using namespace varento::testing;
namespace fs = std::filesystem;

namespace {

// A program folder below a regular file: nothing can be created in it, not even
// by root.
fs::path unwritableFolder(const TempDir& dir) {
    writeText(dir / "blocker", "");
    return dir / "blocker" / "bin";
}

TEST(ProgramFolder, WritabilityIsTriedNotReadFromPermissions) {
    TempDir dir;
    EXPECT_TRUE(canCreateFilesIn(dir.path()));
    EXPECT_TRUE(fs::is_empty(dir.path())); // the probe leaves nothing behind
    EXPECT_FALSE(canCreateFilesIn(unwritableFolder(dir)));
    EXPECT_FALSE(canCreateFilesIn(dir / "missing"));

    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into a folder without write permission";
    }
    fs::create_directory(dir / "locked");
    fs::permissions(dir / "locked", fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_FALSE(canCreateFilesIn(dir / "locked"));
    fs::permissions(dir / "locked", fs::perms::owner_write, fs::perm_options::add);
}

TEST(ProgramFolder, LoadPrefersWhereAStoreWrites) {
    for (const Beside store : {Beside::ProgramFolder, Beside::DataFolder}) {
        const Beside other =
            store == Beside::ProgramFolder ? Beside::DataFolder : Beside::ProgramFolder;
        const bool storeIsProgram = store == Beside::ProgramFolder;
        // A copy where a store writes is the last one stored: it wins over the
        // other place's.
        EXPECT_EQ(loadPlace(store, true, true), store);
        EXPECT_EQ(loadPlace(store, storeIsProgram, !storeIsProgram), store);
        // Without one, an earlier installation's or a packager's copy is read.
        EXPECT_EQ(loadPlace(store, !storeIsProgram, storeIsProgram), other);
        // Neither: the store place, whose absence is reported.
        EXPECT_EQ(loadPlace(store, false, false), store);
    }
}

TEST(ProgramFolder, PathsOfAReadOnlyAndOfAWritableProgramFolder) {
    TempDir dir;
    const ProgramFolderFiles readOnly(unwritableFolder(dir), dir / "data");
    EXPECT_EQ(readOnly.storePath("_Preset.vpf"), dir / "data" / "_Preset.vpf");
    EXPECT_EQ(readOnly.findPath("PresetLabel.txt"), dir / "data" / "PresetLabel.txt");

    fs::create_directory(dir / "bin");
    fs::create_directory(dir / "data");
    const ProgramFolderFiles writable(dir / "bin", dir / "data");
    EXPECT_EQ(writable.storePath("_Preset.vpf"), dir / "bin" / "_Preset.vpf");
    writeText(dir / "data" / "_Preset.vpf", "stored while the folder was read-only");
    EXPECT_EQ(writable.loadPath("_Preset.vpf"), dir / "data" / "_Preset.vpf");
    writeText(dir / "bin" / "_Preset.vpf", "stored beside the program");
    EXPECT_EQ(writable.loadPath("_Preset.vpf"), dir / "bin" / "_Preset.vpf");

    // A caption only a packager or the user puts there: beside the program first.
    writeText(dir / "data" / "PresetLabel.txt", "Data");
    EXPECT_EQ(writable.findPath("PresetLabel.txt"), dir / "data" / "PresetLabel.txt");
    writeText(dir / "bin" / "PresetLabel.txt", "Beside");
    EXPECT_EQ(writable.findPath("PresetLabel.txt"), dir / "bin" / "PresetLabel.txt");
}

class RoutingPreset : public ::testing::Test {
protected:
    void open(const fs::path& programFolder) {
        session = std::make_unique<Session>(ui, SessionPaths{dir / "data", programFolder});
        session->command(command_id::offlineBase);
    }
    std::uint8_t source0() const { return session->current().routeSource[0]; }

    TempDir dir;
    ScriptedInteraction ui;
    std::unique_ptr<Session> session;
};

TEST_F(RoutingPreset, StoredInTheDataFolderWhenTheProgramFolderTakesNoFiles) {
    open(unwritableFolder(dir));
    session->editor().setRoute(0, 42);
    ASSERT_TRUE(session->storeRoutingPreset());
    EXPECT_EQ(ui.messages.back().text, "Preset File stored!");
    EXPECT_TRUE(fs::is_regular_file(dir / "data" / "_Preset.vpf")); // folder made on demand

    session->editor().setRoute(0, 0);
    ASSERT_TRUE(session->loadRoutingPreset());
    EXPECT_EQ(source0(), 42);
}

TEST_F(RoutingPreset, ReadFromTheProgramFolderWhenAPresetIsThere) {
    fs::create_directory(dir / "bin");
    open(dir / "bin");
    session->editor().setRoute(0, 17);
    ASSERT_TRUE(session->storeRoutingPreset());
    EXPECT_TRUE(fs::is_regular_file(dir / "bin" / "_Preset.vpf"));
    EXPECT_FALSE(fs::exists(dir / "data" / "_Preset.vpf"));

    // An older copy in the data folder does not hide the one beside the program.
    fs::create_directory(dir / "data");
    fs::copy_file(dir / "bin" / "_Preset.vpf", dir / "data" / "_Preset.vpf");
    session->editor().setRoute(0, 5);
    ASSERT_TRUE(session->storeRoutingPreset());
    session->editor().setRoute(0, 0);
    ASSERT_TRUE(session->loadRoutingPreset());
    EXPECT_EQ(source0(), 5);
}

} // namespace
