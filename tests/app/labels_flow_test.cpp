#include "app/label_flows.h"
#include "files/label_store.h"
#include "support/app_environment.h"
#include "support/frames.h"
#include "support/scripted_interaction.h"

#include <gtest/gtest.h>

#include <string>

using namespace varento;
using namespace varento::testing;

namespace {

class LabelsFlow : public ::testing::Test {
protected:
    void SetUp() override {
        resetToPowerOnDefaults(current);
        current.uid = uidOf(6);
        fillDefaultLabels(current.labels);
    }

    QString fileIn(const std::string& name) const {
        return QString::fromStdString((dir / name).string());
    }
    std::filesystem::path store() const { return labelStorePath(dir.path(), current.uid); }

    TempDir dir; // the data folder
    DeviceRecord current;
    ScriptedInteraction ui;
};

std::string lines(int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += "In " + std::to_string(i) + "\r\n";
    }
    return out;
}

} // namespace

TEST_F(LabelsFlow, Export) {
    setLabel(current.labels[0], "Kick");
    ui.files = {fileIn("export.txt"), std::nullopt, fileIn("no-such-folder/export.txt")};
    EXPECT_EQ(storeCustomLabels(current, ui), LabelFlow::Done);
    EXPECT_EQ(readBytes(dir / "export.txt"), encodeLabels(current.labels));
    EXPECT_EQ(ui.fileDialogs[0].filter, "VARENTO Label file (*.txt)");
    EXPECT_EQ(ui.fileDialogs[0].defaultExtension, "txt");
    EXPECT_EQ(storeCustomLabels(current, ui), LabelFlow::Cancelled);
    EXPECT_TRUE(ui.messages.empty());

    EXPECT_EQ(storeCustomLabels(current, ui), LabelFlow::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Error!");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(ui.messages[0].text.toStdString(),
              std::make_error_code(std::errc::no_such_file_or_directory).message());
}

TEST_F(LabelsFlow, ImportTakes384LinesAndStoresThem) {
    writeText(dir / "in.txt", lines(388));
    ui.files = {fileIn("in.txt")};
    EXPECT_EQ(readCustomLabels(current, dir.path(), ui), LabelFlow::Done);
    EXPECT_STREQ(current.labels[383].data(), "In 383");
    EXPECT_STREQ(current.labels[384].data(), "BUS 1"); // the bus labels stay
    EXPECT_EQ(readBytes(store()), encodeLabels(current.labels));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LabelsFlow, RejectedImportChangesAndStoresNothing) {
    writeText(dir / "in.txt", lines(20) + "Tab\there\r\n");
    ui.files = {fileIn("in.txt"), fileIn("gone.txt")};
    const LabelTable before = current.labels;
    EXPECT_EQ(readCustomLabels(current, dir.path(), ui), LabelFlow::Failed);
    EXPECT_EQ(readCustomLabels(current, dir.path(), ui), LabelFlow::Failed);
    EXPECT_EQ(current.labels, before);
    EXPECT_FALSE(std::filesystem::exists(store()));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].title, "Label Import error");
    EXPECT_EQ(ui.messages[0].text,
              "Import aborted!\nLabel file contains non-printable characters.\n\nOnly plain text "
              "files are supported.\nPlease check the file.");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(ui.messages[1].title, "Error!"); // the file vanished after the dialog
}

TEST_F(LabelsFlow, Apply) {
    resetToPowerOnDefaults(current); // labels "1".."388"
    current.uid = uidOf(8);
    applyLabels(current, dir.path(), ui); // a unit seen for the first time
    EXPECT_STREQ(current.labels[0].data(), "AES 1 IN");
    EXPECT_EQ(readBytes(store()), encodeLabels(current.labels));

    setLabel(current.labels[40], "Snare \xE4");
    storeLabels(current, dir.path());
    DeviceRecord next;
    resetToPowerOnDefaults(next);
    next.uid = current.uid;
    applyLabels(next, dir.path(), ui);
    EXPECT_EQ(next.labels, current.labels);
    EXPECT_TRUE(ui.messages.empty());

    writeText(store(), "Vox\x01\r\n"); // reported as an import would be, then replaced
    applyLabels(next, dir.path(), ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Label Import error");
    EXPECT_STREQ(next.labels[40].data(), "AN 9 IN");
}
