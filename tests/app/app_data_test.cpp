#include "app/app_lifecycle.h"
#include "app/cp1252.h"
#include "app/data_folder.h"
#include "app/device_list_store.h"
#include "devices/device_list.h"
#include "devices/device_manager.h"
#include "files/devlist_file.h"
#include "support/app_environment.h"
#include "support/frames.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

using namespace varento;
using namespace varento::testing;

TEST(Windows1252, ConversionBothWays) {
    std::string all;
    for (int c = 1; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    EXPECT_EQ(toWindows1252(fromWindows1252(all)), all);
    EXPECT_EQ(fromWindows1252("\x80\x8A\x9F\xE4\xDF\x81"), QString::fromUtf8("€ŠŸäß\u0081"));
    // Outside the code page: one '?' per character, also beyond the BMP.
    EXPECT_EQ(toWindows1252(QString::fromUtf8("Ω €\U0001F3B8")), "? \x80?");
}

TEST(Windows1252, LabelTextIsCutAndKeptReadable) {
    Label label{};
    setLabelText(label, QString::fromUtf8("Überlänge mit Ü und mehr"));
    EXPECT_EQ(labelText(label), QString::fromUtf8("Überlänge mit Ü "));
    // A label file could not read these back, and the unit's store would be lost.
    setLabelText(label, QString::fromUtf8("a\tb\r\nc\u0081"));
    EXPECT_STREQ(label.data(), "a?b??c?");
}

TEST(AppData, DataFolderAndADeviceListThatSurvivesARestart) {
    EXPECT_EQ(dataFolder(), AppEnvironment::dataFolder());
    const QByteArray saved = qgetenv("VARENTO_DATA_DIR");
    qunsetenv("VARENTO_DATA_DIR");
    const std::filesystem::path roaming = dataFolder();
    qputenv("VARENTO_DATA_DIR", saved);
    EXPECT_EQ(roaming.parent_path().filename(), "Maravelle Technologies");
    EXPECT_EQ(roaming.filename(), "VARENTO Remote");
    EXPECT_EQ(toPath(toQString(roaming)), roaming);

    const std::filesystem::path data = dataFolder();
    DeviceRecord current;
    current.uid = uidOf(3);
    DeviceList devices;
    DeviceListStore store(data);
    initialiseApplication(current, devices, store); // first run: no folder, no list
    EXPECT_EQ(current.uid, DeviceUid::broadcast());
    EXPECT_TRUE(devices.empty());
    EXPECT_FALSE(std::filesystem::exists(data));

    devices.addOrRefresh(uidOf(1), "VARENTO.PX", 2, 1)->presence = presence::online;
    devices.addOrRefresh(uidOf(2), "VARENTO.LC", 2, 1)->userName = "Monitor rack";
    cleanUpApplication(devices, store); // creates the folder
    DeviceList next;
    DeviceListStore again(data);
    initialiseApplication(current, next, again);
    ASSERT_EQ(next.count(), 2);
    EXPECT_EQ(next.find(uidOf(2))->userName, "Monitor rack");
    EXPECT_EQ(next.onlineCount(), 0);
}

namespace {

std::vector<std::string> namesOf(const DeviceList& list) {
    std::vector<std::string> names;
    for (const KnownDevice& entry : list) {
        names.push_back(entry.userName);
    }
    return names;
}

} // namespace

// Two programs hold the list at once; each writes it under the lock, merged with
// what the other wrote since: a rename, a removal and a reorder made in one and new
// units and a rename made in the other all survive, whichever writes last.
TEST(DeviceListStore, EachProgramsChangesSurviveTheOthersWrite) {
    QTemporaryDir dir;
    const std::filesystem::path data = toPath(dir.path());
    {
        DeviceList seed;
        for (int u = 1; u <= 4; ++u) {
            seed.addOrRefresh(uidOf(u), "VARENTO.LC", 4, 6);
        }
        DeviceListStore store(data);
        ASSERT_FALSE(store.save(seed));
    }
    DeviceList window;
    DeviceList cli;
    DeviceListStore windowStore(data);
    DeviceListStore cliStore(data);
    windowStore.load(window);
    cliStore.load(cli);

    // The command line renames unit 2 and removes unit 4, and writes first.
    cli.find(uidOf(2))->userName = "Stage rack";
    cli.find(uidOf(4))->presence = presence::markedForRemoval;
    cli.removeMarked();
    ASSERT_FALSE(cliStore.save(cli));

    // The window found unit 5, renamed unit 1 and moved unit 3 to the front.
    window.addOrRefresh(uidOf(5), "VARENTO 2", 6, 6)->presence = presence::online;
    window.find(uidOf(1))->userName = "FOH";
    DeviceManager manager(window);
    manager.moveTo(manager.rowOf(uidOf(3)), 0);
    DeviceManager::accept(window);
    ASSERT_FALSE(windowStore.save(window));
    EXPECT_EQ(namesOf(window), (std::vector<std::string>{unitIdText(uidOf(3)), "FOH", "Stage rack",
                                                         unitIdText(uidOf(5))}));
    EXPECT_EQ(window.find(uidOf(5))->presence, presence::online); // the window's own state

    DeviceList file;
    DeviceListStore(data).load(file);
    EXPECT_EQ(namesOf(file), namesOf(window));
    int position = 0;
    for (const KnownDevice& entry : file) {
        EXPECT_EQ(entry.position, ++position);
    }

    // The command line writes again: it learns the window's changes, loses none.
    ASSERT_FALSE(cliStore.save(cli));
    EXPECT_EQ(namesOf(cli), namesOf(window));
}

// A file that is not a device list is kept aside with a message, never written over.
TEST(DeviceListStore, AnUnreadableListIsKeptAside) {
    QTemporaryDir dir;
    const std::filesystem::path data = toPath(dir.path());
    DeviceListStore store(data);
    {
        std::ofstream bad(store.path(), std::ios::binary);
        bad << "varentodevlist2 and then something else";
    }
    DeviceList list;
    const DeviceListStore::Loaded loaded = store.load(list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(loaded.keptAs, store.rejectedPath());
    EXPECT_TRUE(std::filesystem::exists(store.rejectedPath()));
    EXPECT_TRUE(DeviceListStore::keptAsideText(loaded).contains("devlist.mv.rejected"));

    list.addOrRefresh(uidOf(1), "VARENTO.LC", 4, 6);
    ASSERT_FALSE(store.save(list));
    std::ifstream kept(store.rejectedPath(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "varentodevlist2 and then something else");
    DeviceList again;
    EXPECT_TRUE(DeviceListStore::keptAsideText(DeviceListStore(data).load(again)).isEmpty());
    EXPECT_EQ(again.count(), 1);
}

// A list that vanished since it was read loses no unit at the next write; one that
// is there but cannot be read is not written over.
TEST(DeviceListStore, AVanishedOrUnreadableFileLosesNothing) {
    QTemporaryDir dir;
    const std::filesystem::path data = toPath(dir.path());
    DeviceListStore store(data);
    DeviceList list;
    for (int u = 1; u <= 3; ++u) {
        list.addOrRefresh(uidOf(u), "VARENTO.LC", 4, 6);
    }
    ASSERT_FALSE(store.save(list));
    std::filesystem::remove(store.path());
    ASSERT_FALSE(store.save(list));
    DeviceList again;
    DeviceListStore(data).load(again);
    EXPECT_EQ(again.count(), 3);

    std::filesystem::remove(store.path());
    std::filesystem::create_directory(store.path()); // there, but no file to read
    list.find(uidOf(1))->userName = "FOH";
    EXPECT_TRUE(store.save(list));
    EXPECT_TRUE(std::filesystem::is_directory(store.path()));
    EXPECT_EQ(list.count(), 3);
}
