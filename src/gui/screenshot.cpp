#include "gui/screenshot.h"

#include "app/data_folder.h"
#include "app/session.h"
#include "files/file_io.h"
#include "files/preset_file.h"
#include "files/project_file.h"
#include "files/project_labels.h"
#include "gui/front_end_ids.h"
#include "gui/main_window.h"
#include "ui/controls/my_button.h"
#include "ui/views/dr_trigger_window.h"
#include "ui/views/gain_window.h"
#include "ui/views/matrix_window.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>

#include <array>
#include <cstdio>
#include <memory>
#include <optional>

namespace varento {

namespace {

// The gain view as during a sound check: channels 4-7 selected, P48 on the first
// four, PAD on 9 and 10.
void poseGainView(MainWindow& window, Session&) {
    auto* gain = window.findChild<GainWindow*>();
    if (gain == nullptr) {
        return;
    }
    GainModel& model = gain->model();
    for (int c = 0; c < 4; ++c) {
        model.setP48(c, true);
    }
    model.setPad(8, true);
    model.setPad(9, true);
    model.group().add(3);
    model.group().selectRange(6);
}

// The meterbridge as engineers set it up before a show: gains enabled and the
// outputs at a few different levels, so the faders show their knobs; as wide as it
// goes, so every group of the unit is in the picture.
void poseMeterbridge(MainWindow& window, Session& session) {
    std::array<std::uint8_t, kChannelGainCount> levels{};
    for (int j = 0; j < kChannelGainCount; ++j) {
        levels[static_cast<std::size_t>(j)] =
            static_cast<std::uint8_t>(static_cast<std::int8_t>((j % 8) * -4 + (j / 32) * 6));
    }
    session.editor().setFlag(UnitFlag::GainsEnabled, true);
    session.editor().setChannelGains(levels);
    if (QWidget* bridge = window.view(ViewSlot::Meterbridge)) {
        bridge->resize(bridge->maximumWidth(), bridge->height());
    }
}

// A monitor mix on the buses, set up the way a user does it: the SUM key clicked,
// a few sources summed, BUS 1 at -6 dB, and the LEDs "Bright" (which shares the bus
// levels' bytes).
void poseMatrixSum(MainWindow& window, Session& session) {
    auto* matrix = qobject_cast<MatrixWindow*>(window.view(ViewSlot::Matrix));
    if (matrix == nullptr) {
        return;
    }
    UnitEditor edit = session.editor();
    edit.setParameter(param::ledDim1, session.current().at(param::ledDim1) | 0x08);
    for (MyButton* key : matrix->findChildren<MyButton*>()) {
        if (key->id() == matrix_command::outputSum && key->isVisible()) {
            const QPointF centre = QRectF(key->rect()).center();
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent click(type, centre, key->mapToGlobal(centre), Qt::LeftButton,
                                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                  Qt::NoModifier);
                QApplication::sendEvent(key, &click);
            }
        }
    }
    for (const auto& [source, bus] : {std::pair{64, 0}, {65, 0}, {66, 1}, {67, 1}, {72, 2}}) {
        edit.setBusMember(source, bus, true);
    }
    matrix->model().setBusLevel(0, 1);
}

// Input 4 failed on stage and is switched over to spare input 6.
void poseTrigger(MainWindow& window, Session&) {
    if (auto* trigger = qobject_cast<DrTriggerWindow*>(window.view(ViewSlot::DrTrigger))) {
        trigger->model().selectSpare(5);
        trigger->model().press(3);
    }
}

// The journal after a few edits made during a sound check.
void poseJournal(MainWindow&, Session& session) {
    session.editor().setRoute(4, 12);
    session.editor().setChannelGain(2, static_cast<std::uint8_t>(-6));
    session.editor().setFlag(UnitFlag::GainsEnabled, true);
}

// Before the doors open: the project saved at the sound check, and since then input
// 4's gain and one route changed on the unit and a label edited here.
void poseCompare(MainWindow& window, Session& session) {
    std::vector<std::pair<DeviceUid, PresetBlock>> units;
    for (const DeviceRecord& unit : session.discovered()) {
        units.emplace_back(unit.uid, buildPresetBlock(unit));
        writeProjectLabels(session.paths().dataFolder / "Sound check.vrj", unit.uid, unit.labels);
    }
    const std::filesystem::path path = session.paths().dataFolder / "Sound check.vrj";
    writeFileAtomically(path, encodePresetFile(kProjectFileType, encodeProjectData(units)));
    UnitEditor edit = session.editor();
    edit.setInputGain(3, static_cast<std::uint8_t>(session.current().inputGain[3] + 6));
    edit.setRoute(4, 12);
    edit.setLabel(36, QStringLiteral("Lead vocal"));
    window.openComparison(toQString(path));
}

// What --view shows: the command that brings it up, how it is posed, the window of
// its own to save instead of the main window, and how long its meters need levels.
struct ShownView {
    const char* name;
    int command;
    int param;
    void (*pose)(MainWindow&, Session&);
    std::optional<ViewSlot> ownWindow;
    int settleMs;
};

const ShownView kViews[] = {
    {"device", 0, 0, nullptr, std::nullopt, 0},
    {"matrix", command_id::matrixButton, 2, nullptr, std::nullopt, 0},
    {"matrix-sum", command_id::matrixButton, 2, poseMatrixSum, std::nullopt, 0},
    {"gain", command_id::gainButton, 2, poseGainView, std::nullopt, 0},
    {"meterbridge", command_id::meterbridgeButton, 0, poseMeterbridge, ViewSlot::Meterbridge, 2000},
    {"button", command_id::buttonView, 2, nullptr, std::nullopt, 0},
    {"trigger", command_id::drSpareMicSwitch, 0, poseTrigger, ViewSlot::DrTrigger, 500},
    {"devices", command_id::deviceManager, 0, nullptr, std::nullopt, 0},
    {"labels", command_id::editLabels, 0, nullptr, std::nullopt, 0},
    {"journal", command_id::journal, 0, poseJournal, std::nullopt, 0},
    {"compare", 0, 0, poseCompare, std::nullopt, 1500},
};

const ShownView* findView(const QString& name) {
    for (const ShownView& view : kViews) {
        if (name == QLatin1String(view.name)) {
            return &view;
        }
    }
    return nullptr;
}

void fail(const QString& why) {
    std::fprintf(stderr, "varento-remote: %s\n", qPrintable(why));
    QCoreApplication::exit(1);
}

} // namespace

QStringList screenshotViews() {
    QStringList names;
    for (const ShownView& view : kViews) {
        names << QLatin1String(view.name);
    }
    return names;
}

void scheduleScreenshot(MainWindow& window, Session& session, const QString& viewName,
                        const QString& file, bool offline) {
    const ShownView* view = findView(viewName);
    auto save = [&window, &session, file, view] {
        if (view == nullptr) {
            fail(QStringLiteral("no view to save"));
            return;
        }
        const QWidgetList before = QApplication::topLevelWidgets();
        if (view->command != 0) {
            window.command(view->command, view->param);
        }
        if (view->pose != nullptr) {
            view->pose(window, session);
        }
        QTimer::singleShot(view->settleMs, &window, [&window, file, view, before] {
            QWidget* shown = view->ownWindow ? window.view(*view->ownWindow) : &window;
            // A dialog or window opened by the view's command is what the picture is of.
            for (QWidget* opened : QApplication::topLevelWidgets()) {
                const Qt::WindowType type = opened->windowType();
                if (opened != &window && opened->isVisible() && !before.contains(opened) &&
                    (type == Qt::Window || type == Qt::Dialog)) {
                    shown = opened;
                }
            }
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal != &window) {
                shown = modal;
            }
            if (shown == nullptr) {
                fail(QStringLiteral("this unit has no %1 window").arg(QLatin1String(view->name)));
                return;
            }
            if (!shown->grab().save(file, "PNG")) {
                fail(QStringLiteral("cannot write %1").arg(file));
                return;
            }
            window.close();
        });
    };
    if (offline) {
        QObject::connect(&session, &Session::unitIdentified, &window, save,
                         Qt::SingleShotConnection);
    } else {
        auto identified = std::make_shared<bool>(false);
        auto parameters = std::make_shared<bool>(false);
        QObject::connect(&session, &Session::unitIdentified, &window,
                         [identified] { *identified = true; });
        QObject::connect(&session, &Session::parametersChanged, &window,
                         [identified, parameters] { *parameters = *identified; });
        auto done = std::make_shared<bool>(false);
        QObject::connect(&session, &Session::levelsChanged, &window,
                         [&session, identified, parameters, done, save] {
                             if (!*done && *identified && *parameters && !session.gathering()) {
                                 *done = true;
                                 save();
                             }
                         });
    }
    QTimer::singleShot(30000, &window,
                       [] { fail(QStringLiteral("the units did not answer in time")); });
}

} // namespace varento
