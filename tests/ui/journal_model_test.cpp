// The "Journal" window's rules: newest last, one unit or all, live additions.
#include "ui/models/journal_model.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace varento;

namespace {

const std::string kA = "0102030405060708090A0B0C0D0E0F01";
const std::string kB = "0102030405060708090A0B0C0D0E0F02";

JournalEntry entry(const std::string& unit, const std::string& text) {
    return {"2026-12-08T14:00:00.000+01:00", "edit", unit, text};
}

std::vector<std::string> shown(const JournalModel& model) {
    std::vector<std::string> texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts.push_back(model.entryAt(row).text);
    }
    return texts;
}

QString nameOf(const QString& unit) {
    return unit == QString::fromStdString(kA) ? QStringLiteral("Stage left") : QString();
}

} // namespace

TEST(JournalModel, FiltersByUnitKeepingTheOrder) {
    JournalModel model(nameOf);
    model.load({entry("", "link"), entry(kA, "a1"), entry(kB, "b1"), entry(kA, "a2")});
    EXPECT_EQ(shown(model), (std::vector<std::string>{"link", "a1", "b1", "a2"}));
    // Units in order of appearance, by name where one is known.
    const QStringList choices = model.unitChoices();
    ASSERT_EQ(choices.size(), 3);
    EXPECT_EQ(choices[1], "Stage left");
    EXPECT_EQ(choices[2], QString::fromStdString(kB));

    model.selectUnit(1);
    EXPECT_EQ(shown(model), (std::vector<std::string>{"a1", "a2"}));
    model.selectUnit(2);
    EXPECT_EQ(shown(model), (std::vector<std::string>{"b1"}));
    model.selectUnit(7); // no such choice: nothing changes
    EXPECT_EQ(model.selectedUnit(), 2);
    model.selectUnit(0);
    EXPECT_EQ(model.rowCount(), 4);
}

TEST(JournalModel, NewEntriesArriveAtTheEndOfWhatIsShown) {
    JournalModel model;
    model.load({entry(kA, "a1"), entry(kB, "b1")});
    model.selectUnit(1);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy choices(&model, &JournalModel::unitChoicesChanged);

    model.append(entry(kB, "b2")); // another unit: kept, not shown
    model.append(entry(kA, "a2"));
    EXPECT_EQ(shown(model), (std::vector<std::string>{"a1", "a2"}));
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 1);
    EXPECT_TRUE(choices.isEmpty());

    // A unit seen for the first time joins the choices after the others.
    const std::string c = "0102030405060708090A0B0C0D0E0F03";
    model.append(entry(c, "c1"));
    EXPECT_EQ(choices.size(), 1);
    EXPECT_EQ(model.unitChoices().size(), 4);
    EXPECT_EQ(model.selectedUnit(), 1);
    model.selectUnit(0);
    EXPECT_EQ(shown(model), (std::vector<std::string>{"a1", "b1", "b2", "a2", "c1"}));
}

TEST(JournalModel, ReloadingKeepsTheChosenUnitWhileItIsStillThere) {
    JournalModel model;
    model.load({entry(kA, "a1"), entry(kB, "b1")});
    model.selectUnit(2);
    model.load({entry(kB, "b1"), entry(kB, "b2"), entry(kA, "a1")});
    EXPECT_EQ(model.selectedUnit(), 1); // kB, now first
    EXPECT_EQ(shown(model), (std::vector<std::string>{"b1", "b2"}));
    model.load({entry(kA, "a3")});
    EXPECT_EQ(model.selectedUnit(), 0);
    EXPECT_EQ(shown(model), (std::vector<std::string>{"a3"}));
}
