// Saves replace files that exist and live in folders with any name: on Windows a
// plain rename does not replace, and the user's profile folder is often named with
// umlauts or in another script.
#include "files/devlist_file.h"
#include "files/file_io.h"
#include "files/label_store.h"
#include "files/preset_file.h"
#include "support/frames.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <thread>

using namespace varento;
using namespace varento::testing;

namespace {

namespace fs = std::filesystem;

std::size_t filesIn(const fs::path& folder) {
    const fs::directory_iterator it(folder);
    return static_cast<std::size_t>(std::distance(begin(it), end(it)));
}

DeviceList twoUnits() {
    DeviceList list;
    list.addOrRefresh(uidOf(1), "VARENTO 2", 1, 2);
    list.addOrRefresh(uidOf(2), "VARENTO.LC", 3, 4)->userName = "B\xFChne";
    return list;
}

} // namespace

TEST(FileReplace, SavingAgainReplacesTheFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    const fs::path path = dir / "devlist.mv";
    for (const Bytes& content : {Bytes(3000, 1), Bytes(10, 2), Bytes(), Bytes(500, 3)}) {
        ASSERT_FALSE(writeFileAtomically(path, content));
        EXPECT_EQ(readBytes(path), content);
        EXPECT_EQ(filesIn(dir.path()), 1u);
    }
    EXPECT_TRUE(writeFileAtomically(dir / "missing" / "x", Bytes(4, 1)));
    EXPECT_EQ(readBytes(path), Bytes(500, 3));
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(FileReplace, NothingInTheWayIsClobbered) {
    TempDir dir;
    // The temporary file is created only where no file of its name exists.
    writeBytes(dir / "taken", Bytes(5, 8));
    errno = 0;
    EXPECT_EQ(createNewFile(dir / "taken"), nullptr);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(readBytes(dir / "taken"), Bytes(5, 8));
    std::FILE* fresh = createNewFile(dir / "fresh");
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(std::fclose(fresh), 0);
    EXPECT_TRUE(readBytes(dir / "fresh").empty());

    // A save that cannot replace says so and leaves no temporary file behind.
    fs::create_directories(dir / "folder");
    writeBytes(dir / "folder" / "inside", Bytes(3, 9));
    EXPECT_TRUE(writeFileAtomically(dir / "folder", Bytes(10, 1)));
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_EQ(readBytes(dir / "folder" / "inside"), Bytes(3, 9));
    EXPECT_EQ(filesIn(dir.path()), 3u);
}

TEST(FileReplace, AReaderHoldingTheFileForAMomentDoesNotFailTheSave) {
    // On Windows a file that is open (a virus scanner, the search indexer, another
    // copy of the program reading it) cannot be replaced until it is closed.
    TempDir dir;
    const fs::path path = dir / "devlist.mv";
    writeBytes(path, Bytes(7, 1));
    std::FILE* reader = std::fopen(path.string().c_str(), "rb");
    ASSERT_NE(reader, nullptr);
    std::thread closer([reader] {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        std::fclose(reader);
    });
    const std::error_code error = writeFileAtomically(path, Bytes(9, 2));
    closer.join();
    EXPECT_FALSE(error) << error.message();
    EXPECT_EQ(readBytes(path), Bytes(9, 2));
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(FileReplace, EveryStoreWorksBelowFoldersWithNonAsciiNames) {
    TempDir dir;
    const fs::path profile = dir.path() / fs::path(u8"M\u00fcller") / fs::path(u8"\u03a9 \u97f3");
    const fs::path data = profile / "VARENTO Remote";

    for (int round = 0; round < 2; ++round) {
        ASSERT_FALSE(saveDeviceList(data, twoUnits()));
    }
    DeviceList loaded;
    EXPECT_EQ(loadDeviceList(data, loaded).status, DevListStatus::Loaded);
    EXPECT_EQ(encodeDeviceList(loaded), encodeDeviceList(twoUnits()));

    LabelTable labels{};
    EXPECT_FALSE(loadUnitLabels(data, uidOf(2), labels).fromStore);
    setLabel(labels[0], "Gesang \xC4\xD6\xDC");
    ASSERT_FALSE(storeUnitLabels(data, uidOf(2), labels));
    LabelTable back{};
    EXPECT_TRUE(loadUnitLabels(data, uidOf(2), back).fromStore);
    EXPECT_EQ(back, labels);

    const fs::path preset = profile / fs::path(u8"Konzert \u00e4\u00f6\u00fc.vpf");
    const Bytes file = encodePresetFile(kPresetFileType, Bytes(64, 5));
    ASSERT_FALSE(writeFileAtomically(preset, file));
    EXPECT_EQ(readPresetFile(preset).data, Bytes(64, 5));

    // The folder on disk carries the name given, not a mangled one.
    std::vector<fs::path> names;
    for (const auto& entry : fs::directory_iterator(dir.path() / fs::path(u8"M\u00fcller"))) {
        names.push_back(entry.path().filename());
    }
    EXPECT_TRUE(names == std::vector<fs::path>{fs::path(u8"\u03a9 \u97f3")});
}
