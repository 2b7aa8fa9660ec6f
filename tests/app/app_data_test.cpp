#include "app/app_lifecycle.h"
#include "app/cp1252.h"
#include "app/data_folder.h"
#include "devices/device_list.h"
#include "files/devlist_file.h"
#include "support/app_environment.h"
#include "support/frames.h"

#include <gtest/gtest.h>

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
    initialiseApplication(current, devices, data); // first run: no folder, no list
    EXPECT_EQ(current.uid, DeviceUid::broadcast());
    EXPECT_TRUE(devices.empty());
    EXPECT_FALSE(std::filesystem::exists(data));

    devices.addOrRefresh(uidOf(1), "VARENTO.PX", 2, 1)->presence = presence::online;
    devices.addOrRefresh(uidOf(2), "VARENTO.LC", 2, 1)->userName = "Monitor rack";
    cleanUpApplication(devices, data); // creates the folder
    DeviceList next;
    initialiseApplication(current, next, data);
    ASSERT_EQ(next.count(), 2);
    EXPECT_EQ(next.find(uidOf(2))->userName, "Monitor rack");
    EXPECT_EQ(next.onlineCount(), 0);
}
