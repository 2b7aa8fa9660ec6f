// Comparing a project with the units: what a load would change, read afresh.
#include "app/data_folder.h"
#include "files/label_file.h"
#include "files/label_store.h"
#include "files/preset_file.h"
#include "files/project_file.h"
#include "files/project_labels.h"
#include "protocol/frame_builders.h"
#include "support/demo_session.h"
#include "support/frames.h"

#include <QDir>

using namespace varento;
using namespace varento::testing;

namespace {

class ProjectCompare : public DemoSessionTest {
protected:
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    ProjectComparison compare(const QString& path) {
        std::optional<ProjectComparison> result;
        const auto refused =
            session->compareProject(path, [&](const ProjectComparison& c) { result = c; });
        EXPECT_EQ(refused, std::nullopt);
        EXPECT_EVENTUALLY(result.has_value(), 10000);
        return result.value_or(ProjectComparison{});
    }

    const UnitComparison* unit(const ProjectComparison& c, const DeviceUid& uid) {
        for (const UnitComparison& u : c.units) {
            if (u.uid == uid) {
                return &u;
            }
        }
        return nullptr;
    }

    // A change made at the unit (another computer, its front panel): a frame straight
    // into the emulated unit, which this program learns only by reading.
    template <typename Build> void changeAtTheUnit(const DeviceUid& uid, Build build) {
        for (auto& emulated : rack().units()) {
            if (emulated.state().uid == uid) {
                DeviceRecord record = emulated.state();
                FrameBuffer buffer{};
                const int length = build(record, buffer);
                emulated.receive({buffer.data(), static_cast<std::size_t>(length)});
            }
        }
    }

    DeviceUid lc() const {
        for (const DeviceRecord& r : session->discovered()) {
            if (r.model == 11) {
                return r.uid;
            }
        }
        return {};
    }
};

} // namespace

// Saved from the units, the project matches them; a gain and a route changed at a
// unit and a label edited here are exactly the three differences.
TEST_F(ProjectCompare, ExactlyTheChangesAreListed) {
    connectToDemo();
    ui.files.push_back(file("show.vrj"));
    session->command(command_id::saveProjectAs);
    ASSERT_TRUE(QFile::exists(file("show.vrj.labels")));
    const ProjectComparison same = compare(file("show.vrj"));
    ASSERT_EQ(same.units.size(), 3U);
    EXPECT_FALSE(same.differs());
    for (const UnitComparison& u : same.units) {
        EXPECT_EQ(u.presence, UnitComparison::Presence::Compared);
        EXPECT_TRUE(u.labelsCompared);
    }

    const DeviceUid target = lc();
    const std::uint8_t gain = session->unit(target)->inputGain[3] == 40 ? 41 : 40;
    changeAtTheUnit(target, [&](DeviceRecord& r, FrameBuffer& b) {
        r.inputGain[3] = gain;
        return buildSetInputGains(b, r);
    });
    changeAtTheUnit(target, [&](DeviceRecord& r, FrameBuffer& b) {
        r.routeSource[5] = static_cast<std::uint8_t>(r.routeSource[5] == 7 ? 8 : 7);
        return buildSetRoutingAll(b, r);
    });
    ASSERT_TRUE(session->editor(target).setLabel(40, "Kick"));

    const ProjectComparison changed = compare(file("show.vrj"));
    EXPECT_TRUE(changed.differs());
    const UnitComparison* u = unit(changed, target);
    ASSERT_NE(u, nullptr);
    ASSERT_EQ(u->differences.size(), 3U);
    EXPECT_EQ(u->differences[0].part, Difference::Part::Routing);
    EXPECT_TRUE(u->differences[0].item.startsWith("AES OUT 6 "));
    EXPECT_EQ(u->differences[1].part, Difference::Part::Gains);
    EXPECT_EQ(u->differences[1].item, "input 4 gain");
    EXPECT_EQ(u->differences[1].unit, QString("%1 dB").arg(gain));
    EXPECT_EQ(u->differences[2].part, Difference::Part::Labels);
    EXPECT_EQ(u->differences[2].unit, "Kick");
    for (const UnitComparison& other : changed.units) {
        if (other.uid != target) {
            EXPECT_TRUE(other.differences.empty());
        }
    }

    // Loading the project's values into that unit settles all three.
    EXPECT_TRUE(session->loadProjectInto(file("show.vrj"), {target}).error.isEmpty());
    EXPECT_FALSE(compare(file("show.vrj")).differs());
}

// The labels a load takes into a unit whose store cannot be written are said,
// not lost in silence; the load itself goes out.
TEST_F(ProjectCompare, LabelsThatCannotBeStoredAreSaid) {
    connectToDemo();
    ui.files.push_back(file("show.vrj"));
    session->command(command_id::saveProjectAs);
    const DeviceUid target = lc();
    const std::string saved = session->unit(target)->labels[40].data();
    ASSERT_TRUE(session->editor(target).setLabel(40, "Kick"));
    const auto store = labelStorePath(dir.path().toStdString(), target);
    std::filesystem::remove(store);
    std::filesystem::create_directories(store / "in the way");

    const Session::FileLoad load = session->loadProjectInto(file("show.vrj"), {target});
    EXPECT_TRUE(load.error.isEmpty());
    EXPECT_TRUE(load.labelsNotStored.startsWith(session->unitName(target) + ": "))
        << load.labelsNotStored.toStdString();
    EXPECT_EQ(std::string(session->unit(target)->labels[40].data()), saved);
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);
}

// Save Project keeps the labels beside the file, and Load Project brings them
// back into each unit and its store; a gains load leaves them.
TEST_F(ProjectCompare, LoadProjectBringsItsLabelsBack) {
    connectToDemo();
    ui.files.push_back(file("show.vrj"));
    session->command(command_id::saveProjectAs);
    const DeviceUid target = lc();
    const std::string saved = session->unit(target)->labels[40].data();
    ASSERT_TRUE(session->editor(target).setLabel(40, "Kick"));

    ui.files.push_back(file("show.vrj"));
    session->command(command_id::loadProjectGains);
    EXPECT_EQ(std::string(session->unit(target)->labels[40].data()), "Kick");

    ui.files.push_back(file("show.vrj"));
    session->command(command_id::loadProject);
    EXPECT_EQ(std::string(session->unit(target)->labels[40].data()), saved);
    LabelTable stored{};
    ASSERT_EQ(readLabelFile(labelStorePath(dir.path().toStdString(), target), stored).status,
              LabelFileStatus::Ok);
    EXPECT_EQ(std::string(stored[40].data()), saved);
    EXPECT_TRUE(ui.messages.empty());
}

// A unit that stands in for one that is offline takes that unit's dataset, but
// keeps its own labels: the labels beside the project are not its.
TEST_F(ProjectCompare, AStandInUnitKeepsItsLabels) {
    connectToDemo();
    ui.files.push_back(file("show.vrj"));
    session->command(command_id::saveProjectAs);
    const DeviceUid target = lc();
    const DeviceUid offline = uidOf(9);
    // The LC's dataset becomes that of a unit that is not online, with its labels.
    const auto path = file("show.vrj").toStdString();
    const PresetFileContent content = readPresetFile(path);
    ProjectData project = decodeProjectData(content.data);
    for (ProjectDataset& dataset : project.datasets) {
        if (dataset.uid == target) {
            dataset.uid = offline;
        }
    }
    const auto bytes = encodePresetFile(content.header.fileType,
                                        encodeProjectData(project.datasets));
    QFile out(file("show.vrj"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    out.close();
    LabelTable foreign = session->unit(target)->labels;
    std::snprintf(foreign[40].data(), foreign[40].size(), "Foreign");
    ASSERT_FALSE(writeProjectLabels(path, offline, foreign));
    ASSERT_TRUE(session->editor(target).setLabel(40, "Kick"));

    ui.answers.push_back(Answer::Ok);
    int lcChoice = 0;
    for (const KnownDevice& known : session->deviceList()) {
        if (known.uid == target) {
            break;
        }
        lcChoice += known.presence == presence::online ? 1 : 0;
    }
    ui.replacementChoices.push_back(lcChoice);
    ui.files.push_back(file("show.vrj"));
    session->command(command_id::loadProject);
    ASSERT_EQ(ui.replacementQuestions.size(), 1U);
    EXPECT_EQ(std::string(session->unit(target)->labels[40].data()), "Kick");
}

// The labels of a unit not shown are its own from the start; a store that cannot
// be read is neither replaced nor moved while another unit is shown.
TEST_F(ProjectCompare, LabelsOfUnitsNotShownAreTheirOwn) {
    session->useDemoUnits({12, 14, 11});
    const DeviceUid lcId = [&] {
        for (const auto& unit : rack().units()) {
            if (unit.state().model == 11) {
                return unit.state().uid;
            }
        }
        return DeviceUid{};
    }();
    const auto store = labelStorePath(dir.path().toStdString(), lcId);
    std::filesystem::create_directories(store.parent_path());
    QFile bad(toQString(store));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("Kick\r\nSnare\x01\r\n");
    bad.close();
    connectToDemo({12, 14, 11});
    ASSERT_NE(session->currentUnit(), lcId);
    EXPECT_TRUE(QFile::exists(toQString(store)));
    EXPECT_EQ(bad.size(), 14);
    for (const DeviceRecord& r : session->discovered()) {
        if (r.uid != lcId && r.uid != session->currentUnit()) {
            EXPECT_STREQ(r.labels[192].data(), "AES 1 OUT") << "a unit not shown has its labels";
        }
    }
}

// A unit of the project that is not online and a unit online that the project
// lacks are listed; keeping the units saves them into the project, and the dataset
// of the absent unit stays byte for byte.
TEST_F(ProjectCompare, MissingAndExtraUnitsAndKeepingTheUnits) {
    connectToDemo();
    std::vector<ProjectDataset> datasets;
    for (const DeviceRecord& r : session->discovered()) {
        if (r.model != 11) {
            const PresetBlock block = buildPresetBlock(r);
            datasets.push_back({r.uid, {block.begin(), block.end()}});
        }
    }
    ProjectDataset absent = datasets[0];
    absent.uid.bytes[0] ^= 0xFF;
    absent.block.resize(400); // as an older program wrote it
    datasets.push_back(absent);
    const auto bytes = encodePresetFile(kProjectFileType, encodeProjectData(datasets));
    QFile out(file("show.vrj"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    out.close();

    const ProjectComparison c = compare(file("show.vrj"));
    EXPECT_TRUE(c.differs());
    ASSERT_NE(unit(c, absent.uid), nullptr);
    EXPECT_EQ(unit(c, absent.uid)->presence, UnitComparison::Presence::NotOnline);
    ASSERT_NE(unit(c, lc()), nullptr);
    EXPECT_EQ(unit(c, lc())->presence, UnitComparison::Presence::NotInProject);
    EXPECT_FALSE(unit(c, datasets[0].uid)->labelsCompared);

    std::vector<DeviceUid> online;
    for (const DeviceRecord& r : session->discovered()) {
        online.push_back(r.uid);
    }
    EXPECT_EQ(session->saveUnitsIntoProject(file("show.vrj"), online), std::nullopt);
    const ProjectComparison kept = compare(file("show.vrj"));
    EXPECT_EQ(unit(kept, lc())->presence, UnitComparison::Presence::Compared);
    EXPECT_TRUE(unit(kept, lc())->differences.empty());
    EXPECT_EQ(unit(kept, absent.uid)->presence, UnitComparison::Presence::NotOnline);
    const auto reread = decodeProjectData(readPresetFile(toPath(file("show.vrj"))).data);
    const auto same = std::find_if(reread.datasets.begin(), reread.datasets.end(),
                                   [&](const ProjectDataset& d) { return d.uid == absent.uid; });
    ASSERT_NE(same, reread.datasets.end());
    EXPECT_EQ(same->block, absent.block);

    // A file that is no project is refused at once, and nothing is read.
    EXPECT_TRUE(
        session->compareProject(file("nothing.vrj"), [](const ProjectComparison&) {}).has_value());
    EXPECT_FALSE(session->comparing());
}
