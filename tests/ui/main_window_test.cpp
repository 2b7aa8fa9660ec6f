#include "app/app_settings.h"
#include "app/session.h"
#include "gui/front_end_ids.h"
#include "gui/main_window.h"
#include "gui/top_bar.h"
#include "links/demo_link.h"
#include "protocol/frame_builders.h"
#include "support/app_environment.h"
#include "support/modal.h"
#include "support/recording_link.h"
#include "support/scripted_interaction.h"
#include "support/session_access.h"
#include "ui/controls/my_button.h"
#include "ui/dialogs/edit_label_dialog.h"
#include "ui/dialogs/labels_dialog.h"
#include "ui/dialogs/serial_port_dialog.h"
#include "ui/views/gain_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;
namespace cid = varento::command_id;

namespace {

// One program run: a session and its window over a temporary data folder and
// settings file, which a second run in the same test reads again.
// A view needs one class and one registration. These plain ones stand in the
// view modes whose windows the program does not register yet.
template <ViewSlot slot> QWidget* probeView(const ViewContext& context) {
    auto* view = new QWidget(context.parent);
    view->setObjectName(QStringLiteral("probe%1").arg(static_cast<int>(slot)));
    return view;
}

std::vector<ContentViewSpec> withProbeViews() {
    std::vector<ContentViewSpec> views = contentViews();
    const std::vector<ContentViewSpec> probes{
        {ViewSlot::Matrix, ViewMode::Matrix,
         [](const ModelCapabilities& c) {
             return c.matrixButton && c.frontPanel != FrontPanel::None;
         },
         probeView<ViewSlot::Matrix>, cid::matrixButton, cid::matrixViewKey},
        {ViewSlot::Gain, ViewMode::Gain, [](const ModelCapabilities& c) { return c.micInputs; },
         probeView<ViewSlot::Gain>, cid::gainButton, cid::gainViewKey},
        {ViewSlot::Button, ViewMode::Button, nullptr, probeView<ViewSlot::Button>, 0,
         cid::buttonViewKey, true},
    };
    for (const ContentViewSpec& probe : probes) {
        const bool registered = std::any_of(
            views.begin(), views.end(), [&](const auto& view) { return view.slot == probe.slot; });
        if (!registered) {
            views.push_back(probe);
        }
    }
    return views;
}

struct ProgramRun {
    ProgramRun(const QString& folder, ScriptedInteraction& ui)
        : settings(folder + "/settings.ini"),
          session(ui, SessionPaths{(folder + "/data").toStdString(), folder.toStdString()}),
          window(session, settings, ui, withProbeViews()) {
        window.start(settings.load());
        window.show();
    }
    AppSettings settings;
    Session session;
    MainWindow window;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    // A start with the network link, so no port dialog comes up.
    ProgramRun& start(bool network = true) {
        if (network) {
            PersistedSettings s;
            s.NetworkMode = 1;
            AppSettings(folder.path() + "/settings.ini").save(s, ui);
        }
        run = std::make_unique<ProgramRun>(folder.path(), ui);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&run->window));
        return *run;
    }

    // Demo units behind a recorder, connected and gathered.
    void connectDemo(const std::vector<int>& models = {}) {
        run->window.setDemo(true);
        run->session.useDemoUnits(models);
        recorder = std::make_unique<RecordingLink>(*run->session.demoLink());
        run->session.useLinkOverride(recorder.get());
        run->window.command(cid::connect);
        QTRY_VERIFY_WITH_TIMEOUT(run->session.state().isConnected &&
                                     run->window.deviceSelector()->isEnabled() &&
                                     !run->session.gathering(),
                                 10000);
    }

    QAction* item(int id) { return run->window.action(id); }
    QStringList selectorItems() {
        QStringList items;
        for (int i = 0; i < run->window.deviceSelector()->count(); ++i) {
            items << run->window.deviceSelector()->itemText(i);
        }
        return items;
    }

    QTemporaryDir folder;
    ScriptedInteraction ui;
    std::unique_ptr<ProgramRun> run;
    std::unique_ptr<RecordingLink> recorder;
};

} // namespace

TEST_F(MainWindowTest, StartsWithItsTitleMenusAndStatusBar) {
    ProgramRun& r = start();
    EXPECT_EQ(r.window.windowTitle(), "VARENTO Remote 3.5");
    const struct {
        int id;
        const char* text;
        bool checked;
        bool enabled;
    } items[] = {
        {103, "&Connect \t Ctrl+C", false, true},
        {40017, "VARENTO", false, true},
        {40019, "VARENTO.PX (SRC)", false, true},
        {40026, "VARENTO.LC", false, true},
        {40041, "VARENTO.AES (SRC)", false, true},
        {40047, "Device Manager", false, true},
        {40011, "&Save... \t Ctrl+S", false, true},
        {40014, "&Load Settings...", false, true},
        {40016, "Load &Matrix...", false, true},
        {40025, "Load &Gain Settings...", false, true},
        {40028, "L&oad All...", false, true},
        {40066, "Save Project As...", false, false},
        {40065, "Load Project...", false, false},
        {40061, "&Export Labels", false, true},
        {40062, "&Import Labels", false, true},
        {40056, "&Edit Labels", false, true},
        {101, "&About", false, true},
        {100, "&Quit \t Alt+F4", false, true},
        {40043, "Enable &Serial I/O", false, true}, // network was stored
        {40009, "&Enable MIDI I/O", false, true},
        {40039, "Enable &Network", true, true},
        {40045, "Select Serial &Port", false, true},
        {40007, "Select &MIDI I/O", false, true},
        {40054, "Disable &Remote-over-MADI", false, false},
        {40052, "AD/DA &Calibration", false, false},
        {40063, "Enable Click and &Drag in Matrix", true, true},
    };
    for (const auto& i : items) {
        QAction* a = item(i.id);
        ASSERT_NE(a, nullptr) << i.id;
        EXPECT_EQ(a->text(), i.text) << i.id;
        EXPECT_EQ(a->isChecked(), i.checked) << i.id;
        EXPECT_EQ(a->isEnabled(), i.enabled) << i.id;
    }
    // Status bar: fields end at 360, 460 and 710; a leading tab centres the text.
    EXPECT_EQ(r.window.statusText(2), "\tNot Connected");
    auto* field2 = r.window.findChild<QLabel*>("status2");
    EXPECT_EQ(field2->text(), "Not Connected");
    EXPECT_TRUE(field2->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(r.window.statusText(1), "\tNetwork");
    EXPECT_EQ(r.window.findChild<QLabel*>("status0")->width(), 360);
    // Top bar: Connect shown; matrix and gain disabled and hidden; selector disabled.
    EXPECT_TRUE(r.window.topButton(cid::connect)->isVisible());
    EXPECT_EQ(r.window.topButton(cid::connect)->pos(), QPoint(10, 7));
    for (int id : {cid::matrixButton, cid::gainButton}) {
        EXPECT_FALSE(r.window.topButton(id)->isVisible()) << id;
        EXPECT_FALSE(r.window.topButton(id)->isEnabled()) << id;
    }
    EXPECT_FALSE(r.window.topButton(cid::meterbridgeButton)->isVisible());
    EXPECT_FALSE(r.window.deviceSelector()->isEnabled());
    EXPECT_EQ(r.window.deviceSelector()->geometry().topLeft(), QPoint(345, 12));
}

TEST_F(MainWindowTest, EveryKeyIssuesItsCommandFromAnyWindow) {
    ProgramRun& r = start();
    QWidget other; // another top-level window of the program
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    const std::pair<int, QKeySequence> keys[] = {
        {40031, QKeySequence("Ctrl+C")},
        {40037, QKeySequence("Ctrl+S")},
        {40033, QKeySequence("M")},
        {40034, QKeySequence("L")},
        {40036, QKeySequence("R")},
        {40020, QKeySequence("F12")},
        {40049, QKeySequence("O")},
        {40022, QKeySequence("Ctrl+F1")},
        {40067, QKeySequence(Qt::KeypadModifier | Qt::Key_1)},
        {40068, QKeySequence(Qt::KeypadModifier | Qt::Key_2)},
        {40001, QKeySequence("F4")},
        {40057, QKeySequence("F5")},
    };
    std::vector<int> issued;
    QObject::connect(&r.window.dispatcher(), &CommandDispatcher::commandIssued,
                     [&issued](int id, int) { issued.push_back(id); });
    for (const auto& [id, sequence] : keys) {
        // Session's commands (connect, factory reset) are only recorded here: what
        // each does is tested on its own. The window's own keep their handlers.
        if (!r.window.dispatcher().handles(id)) {
            r.window.dispatcher().handle(id, [](int) {});
        }
    }
    for (const auto& [id, sequence] : keys) {
        QTest::keySequence(&other, sequence);
        ASSERT_FALSE(issued.empty()) << id;
        EXPECT_EQ(issued.back(), id);
    }
    EXPECT_EQ(r.window.keyActions().size(), static_cast<qsizetype>(std::size(keys)));
}

TEST_F(MainWindowTest, KeysForViewsDoNothingWhileNotConnected) {
    ProgramRun& r = start();
    QSignalSpy issued(&r.window.dispatcher(), &CommandDispatcher::commandIssued);
    for (int id : {40033, 40034, 40036, 40020, 40049, 40022}) {
        r.window.command(id);
        EXPECT_EQ(r.session.state().viewMode, ViewMode::Device) << id;
    }
    EXPECT_FALSE(r.session.state().isConnected);
    EXPECT_EQ(issued.size(), 6);
}

TEST_F(MainWindowTest, LinkSelectionChecksOneLinkAndNamesItInTheStatusBar) {
    ProgramRun& r = start();
    r.window.command(cid::enableMidi);
    EXPECT_TRUE(item(40009)->isChecked());
    EXPECT_FALSE(item(40039)->isChecked());
    EXPECT_FALSE(item(40043)->isChecked());
    EXPECT_TRUE(r.window.statusText(0).startsWith("MIDI In: "));
    EXPECT_TRUE(r.window.statusText(0).contains(" | MIDI Out: "));
    EXPECT_EQ(r.window.statusText(1), "\tMIDI");

    r.window.command(cid::enableNetwork);
    EXPECT_TRUE(item(40039)->isChecked());
    EXPECT_FALSE(item(40009)->isChecked());
    EXPECT_EQ(r.window.statusText(0), " ");
    EXPECT_EQ(r.window.statusText(1), "\tNetwork");

    // Network off again falls back to serial, which has no port yet: its dialog opens.
    r.window.command(cid::enableNetwork);
    EXPECT_TRUE(item(40043)->isChecked());
    EXPECT_FALSE(item(40039)->isChecked());
    EXPECT_EQ(r.window.statusText(1), "\t115.200 Bit/s");
    QTRY_VERIFY(r.window.findChild<SerialPortDialog*>() &&
                r.window.findChild<SerialPortDialog*>()->isVisible());
    r.window.findChild<SerialPortDialog*>()->reject();
    EXPECT_EQ(r.window.statusText(0), "");
}

TEST_F(MainWindowTest, FirstStartSelectsSerialAndAsksForAPort) {
    ProgramRun& r = start(false);
    EXPECT_TRUE(item(40043)->isChecked());
    EXPECT_EQ(r.window.statusText(1), "\t115.200 Bit/s");
    QTRY_VERIFY(r.window.findChild<SerialPortDialog*>() &&
                r.window.findChild<SerialPortDialog*>()->isVisible());
}

TEST_F(MainWindowTest, ConnectFillsTheSelectorAndDisconnectEmptiesIt) {
    ProgramRun& r = start();
    connectDemo();
    const QStringList items = selectorItems();
    ASSERT_EQ(items.size(), 3);
    // "type name - user name", in the order of the device list.
    const QRegularExpression form(QStringLiteral("^VARENTO\\S* ?.* - \\S.*$"));
    for (const QString& text : items) {
        EXPECT_TRUE(form.match(text).hasMatch()) << text.toStdString();
    }
    EXPECT_EQ(r.window.deviceSelector()->currentIndex(), 0);
    EXPECT_EQ(item(103)->text(), "Disconnect \t Ctrl+C");
    for (int id : {40017, 40019, 40026, 40041, 40009, 40007, 40039, 40043, 40045}) {
        EXPECT_FALSE(item(id)->isEnabled()) << id;
    }
    for (int id : {40052, 40054, 40066, 40065}) {
        EXPECT_TRUE(item(id)->isEnabled()) << id;
    }
    EXPECT_EQ(r.window.topButton(cid::connect)->state(), MyButton::On);
    EXPECT_TRUE(r.window.topButton(cid::matrixButton)->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(r.window.statusText(2), QString("\tConnected"), 5000);

    // Choosing another unit in the selector makes it the current one.
    const DeviceUid first = r.session.current().uid;
    r.window.deviceSelector()->setCurrentIndex(1);
    emit r.window.deviceSelector()->activated(1);
    EXPECT_NE(r.session.current().uid, first);
    EXPECT_EQ(r.session.selectedUnitIndex(), 1);

    r.window.command(cid::connectKey);
    EXPECT_FALSE(r.session.state().isConnected);
    EXPECT_EQ(r.window.deviceSelector()->count(), 0);
    EXPECT_FALSE(r.window.deviceSelector()->isEnabled());
    EXPECT_EQ(item(103)->text(), "Connect \t Ctrl+C");
    for (int id : {40017, 40019, 40026, 40041, 40009, 40007, 40039, 40043, 40045}) {
        EXPECT_TRUE(item(id)->isEnabled()) << id;
    }
    for (int id : {40052, 40054, 40066, 40065}) {
        EXPECT_FALSE(item(id)->isEnabled()) << id;
    }
    EXPECT_EQ(r.window.statusText(2), "\tNot Connected");
    EXPECT_EQ(r.window.topButton(cid::connect)->state(), MyButton::Off);
    EXPECT_FALSE(r.window.topButton(cid::matrixButton)->isVisible());
}

TEST_F(MainWindowTest, ViewKeysSwitchViewsOnlyWhereTheModelHasThem) {
    ProgramRun& r = start();
    connectDemo({12});
    r.window.command(cid::gainViewKey); // L: only models 11 and 24 have the gain view
    EXPECT_EQ(r.session.state().viewMode, ViewMode::Device);
    EXPECT_FALSE(r.window.topButton(cid::gainButton)->isVisible());
    r.window.command(cid::matrixViewKey);
    EXPECT_EQ(r.session.state().viewMode, ViewMode::Matrix);
    EXPECT_EQ(r.window.topButton(cid::matrixButton)->state(), MyButton::On);
    // The registered view is laid out below the top bar, in the view's size.
    QWidget* matrix = r.window.view(ViewSlot::Matrix);
    ASSERT_NE(matrix, nullptr);
    EXPECT_TRUE(matrix->isVisible());
    EXPECT_FALSE(r.window.view(ViewSlot::Remote)->isVisible());
    EXPECT_EQ(matrix->pos(), QPoint(0, TopBar::kHeight));
    EXPECT_EQ(matrix->width(), 810);
    EXPECT_EQ(r.session.pollEngine().phase(), PollPhase::Routing);
    r.window.command(cid::buttonViewKey);
    EXPECT_EQ(r.session.state().viewMode, ViewMode::Button);
    r.window.command(cid::buttonViewKey);
    EXPECT_EQ(r.session.state().viewMode, ViewMode::Device);
    r.window.command(cid::matrixButton, 2);
    EXPECT_EQ(r.session.state().viewMode, ViewMode::Matrix);
    r.window.command(cid::deviceViewKey);
    EXPECT_EQ(r.session.state().viewMode, ViewMode::Device);
    EXPECT_EQ(r.window.topButton(cid::matrixButton)->state(), MyButton::Off);
    EXPECT_EQ(r.window.size(), QSize(710, 400)); // the device view of model 12
}

// The gain view of a microphone unit: its button, and the NumPad GPO keys acting
// on it from anywhere in the program.
TEST_F(MainWindowTest, TheGainViewAndTheGpoKeys) {
    ProgramRun& r = start();
    connectDemo({11});
    ASSERT_TRUE(r.window.topButton(cid::gainButton)->isVisible());
    r.window.command(cid::gainButton, 2);
    EXPECT_EQ(r.session.state().viewMode, ViewMode::Gain);
    auto* gain = qobject_cast<GainWindow*>(r.window.view(ViewSlot::Gain));
    ASSERT_NE(gain, nullptr);
    EXPECT_TRUE(gain->isVisible());
    EXPECT_EQ(gain->pos(), QPoint(0, TopBar::kHeight));

    const bool before = gain->model().gpo(GainModel::Gpo::One);
    r.window.command(cid::gpo1Key);
    EXPECT_NE(gain->model().gpo(GainModel::Gpo::One), before);
    EXPECT_EQ(gain->button(GainWindow::Gpo1)->state() & MyButton::On,
              before ? 0 : int{MyButton::On});
    FrameBuffer expected{};
    const int length = buildSetParam(expected, r.session.current(), param::srcEnable);
    EXPECT_EQ(recorder->sent.back().frame,
              std::vector<std::uint8_t>(expected.begin(), expected.begin() + length));

    // The display options go to the settings with the others.
    gain->model().setPeakHold(true);
    EXPECT_EQ(r.session.persistedSettings().GainDisplayOptions & GainModel::kShowPeakHold,
              GainModel::kShowPeakHold);
}

TEST_F(MainWindowTest, OfflineModelsSwitchDirectly) {
    ProgramRun& r = start();
    r.window.command(cid::offlineBase);
    EXPECT_TRUE(item(40017)->isChecked());
    EXPECT_EQ(r.session.current().model, 12);
    EXPECT_TRUE(r.window.topButton(cid::matrixButton)->isEnabled());
    EXPECT_FALSE(r.window.deviceSelector()->isEnabled());
    EXPECT_TRUE(item(40052)->isEnabled());

    r.window.command(cid::offlinePx);
    EXPECT_TRUE(item(40019)->isChecked());
    EXPECT_FALSE(item(40017)->isChecked());
    EXPECT_EQ(r.session.current().model, 14);
    EXPECT_EQ(r.window.size(), QSize(710, 500));

    r.window.command(cid::offlineLc);
    EXPECT_TRUE(item(40026)->isChecked());
    EXPECT_FALSE(item(40019)->isChecked());
    EXPECT_TRUE(r.window.topButton(cid::gainButton)->isVisible());

    r.window.command(cid::offlineLc); // the same item again leaves offline mode
    EXPECT_FALSE(r.session.state().offline());
    for (int id : {40017, 40019, 40026, 40041}) {
        EXPECT_FALSE(item(id)->isChecked()) << id;
    }
    EXPECT_FALSE(r.window.topButton(cid::gainButton)->isVisible());
    EXPECT_FALSE(r.window.topButton(cid::matrixButton)->isEnabled());
}

TEST_F(MainWindowTest, CloseAsksAboutUnsavedOfflineChangesAndCancelKeepsRunning) {
    ProgramRun& r = start();
    r.window.command(cid::offlineAes);
    r.session.state().gainsSaved = false;

    ui.answers = {Answer::Cancel};
    r.window.command(cid::quit);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Close Application...");
    EXPECT_EQ(ui.messages[0].text, "Changes made in offline mode are currently not saved. Do you "
                                   "want to save all settings?");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_TRUE(r.window.isVisible());
    EXPECT_FALSE(r.window.isShutDown());

    ui.answers = {Answer::No};
    r.window.command(cid::quit);
    EXPECT_FALSE(r.window.isVisible());
    EXPECT_TRUE(r.window.isShutDown());
    EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(MainWindowTest, ClosingWhileConnectedDisconnectsFirstAndAsksNothing) {
    ProgramRun& r = start();
    connectDemo();
    r.window.close();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(r.session.state().isConnected);
    EXPECT_FALSE(r.session.pollTimer().isActive());
    EXPECT_FALSE(r.session.supervisionTimer().isActive());
    EXPECT_FALSE(r.session.resumeTimer().isActive());
    // Nothing is left that could still send: no timer, no queued sequence.
    EXPECT_FALSE(r.session.sendQueue().busy());
    EXPECT_TRUE(r.window.isShutDown());
}

TEST_F(MainWindowTest, SettingsSurviveARestart) {
    {
        ProgramRun& r = start(false);
        QTRY_VERIFY(r.window.findChild<SerialPortDialog*>());
        r.window.findChild<SerialPortDialog*>()->reject();
        r.window.command(cid::enableMidi);
        r.window.command(cid::matrixDragging);
        EXPECT_FALSE(item(40063)->isChecked());
        SessionTestAccess::unit(r.session).at(param::wckTermChoice) = 1;
        r.window.close();
        run.reset();
    }
    const PersistedSettings stored = AppSettings(folder.path() + "/settings.ini").load();
    EXPECT_EQ(stored.MidiMode, 1);
    EXPECT_EQ(stored.MatrixDraggingMode, 0);
    EXPECT_EQ(stored.Term, 1);
    EXPECT_EQ(stored.matrixViewWidth, 830);
    EXPECT_EQ(stored.matrixViewHeight, 1000);

    run = std::make_unique<ProgramRun>(folder.path(), ui);
    EXPECT_TRUE(item(40009)->isChecked());
    EXPECT_FALSE(item(40043)->isChecked());
    EXPECT_FALSE(item(40063)->isChecked());
    EXPECT_EQ(run->window.statusText(1), "\tMIDI");
    EXPECT_EQ(run->session.current().at(param::wckTermChoice), 1);
}

TEST_F(MainWindowTest, MidiWinsOverNetworkWhenBothWereStored) {
    PersistedSettings both;
    both.MidiMode = 1;
    both.NetworkMode = 1;
    AppSettings(folder.path() + "/settings.ini").save(both, ui);
    run = std::make_unique<ProgramRun>(folder.path(), ui);
    EXPECT_TRUE(item(40009)->isChecked());
    EXPECT_FALSE(item(40039)->isChecked());
}

TEST_F(MainWindowTest, AboutBoxAndGatheringText) {
    ProgramRun& r = start();
    r.window.command(cid::about);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "About...");
    EXPECT_EQ(ui.messages[0].text, "VARENTO Remote 3.5\nBuild : 3.5.3");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);

    r.window.topBar()->setGathering(true, 3);
    EXPECT_EQ(r.window.topBar()->gatheringText(), "3 Devices found: Gathering Device Data...");
    r.window.topBar()->setGathering(false, 3);
    EXPECT_TRUE(r.window.topBar()->gatheringText().isEmpty());
}

TEST(ViewGeometry, SizeLimitsByViewAndModel) {
    const FrameMetrics f{4, 50, 20};
    const auto fixed = [&](int model) { return sizeLimits(ViewMode::Device, model, f); };
    EXPECT_EQ(fixed(12).minimum, QSize(710, 404));
    EXPECT_EQ(fixed(12).maximum, QSize(710, 404));
    EXPECT_EQ(fixed(19).maximum, QSize(710, 594));
    EXPECT_EQ(fixed(14).maximum, QSize(710, 504));
    EXPECT_EQ(sizeLimits(ViewMode::Matrix, 12, f).minimum, QSize(830, 300));
    EXPECT_EQ(sizeLimits(ViewMode::Matrix, 12, f).maximum, QSize(830, 974));
    EXPECT_EQ(sizeLimits(ViewMode::Gain, 11, f).minimum, QSize(208, 754));
    EXPECT_EQ(sizeLimits(ViewMode::Gain, 11, f).maximum, QSize(968, 754));
    EXPECT_EQ(sizeLimits(ViewMode::Button, 11, f).maximum, QSize(708, 534));
    EXPECT_EQ(deviceViewSize(12, f), QSize(702, 400));
    EXPECT_EQ(deviceViewSize(9, f), QSize(702, 500));

    ViewSizes sizes;
    EXPECT_EQ(contentSizeAfterResize(ViewMode::Matrix, {820, 900}, f, sizes), QSize(810, 827));
    EXPECT_EQ(sizes.matrix, QSize(828, 954));
    EXPECT_EQ(contentSizeAfterResize(ViewMode::Gain, {500, 700}, f, sizes), QSize(500, 630));
    EXPECT_EQ(sizes.gain, QSize(508, 700));
    EXPECT_EQ(contentSizeAfterResize(ViewMode::Button, {600, 480}, f, sizes), QSize(600, 410));
    EXPECT_EQ(sizes.button, QSize(608, 480));
    EXPECT_FALSE(contentSizeAfterResize(ViewMode::Device, {710, 400}, f, sizes).isValid());
}

// A Connect that cannot open its link leaves offline mode and its view alone:
// only the Connect button and the port dialog.
TEST_F(MainWindowTest, FailedConnectKeepsOfflineModeAndItsView) {
    ProgramRun& r = start(false); // the serial link with no port: it cannot open
    r.window.command(cid::offlineBase);
    ASSERT_TRUE(r.window.view(ViewSlot::Remote)->isVisible());
    r.window.command(cid::connect);
    EXPECT_FALSE(r.session.state().isConnected);
    EXPECT_TRUE(r.session.state().offline());
    EXPECT_TRUE(item(40017)->isChecked());
    EXPECT_TRUE(r.window.view(ViewSlot::Remote)->isVisible());
    EXPECT_TRUE(r.window.topButton(cid::matrixButton)->isVisible());
    EXPECT_EQ(r.window.topButton(cid::connect)->state(), MyButton::Off);
    EXPECT_EQ(item(103)->text(), "Connect \t Ctrl+C");
    EXPECT_TRUE(item(40043)->isEnabled());
}

// Label dialogs belong to the unit they were opened for: not offered while its
// data is still being read, closed without storing when another unit is shown.
TEST_F(MainWindowTest, LabelDialogsStayWithTheirUnit) {
    ProgramRun& r = start();
    r.window.setDemo(true);
    r.session.useDemoUnits({12, 14});
    r.window.command(cid::connect);
    QTRY_VERIFY_WITH_TIMEOUT(r.session.unitsDiscovered() && r.session.gathering(), 5000);
    r.window.command(cid::editLabels);
    EXPECT_EQ(r.window.findChild<LabelsDialog*>(), nullptr);
    EXPECT_TRUE(r.window.statusText(0).contains("still being read"));

    QTRY_VERIFY_WITH_TIMEOUT(r.session.unitsGathered(), 10000);
    r.window.command(cid::editLabels);
    QPointer<LabelsDialog> labels = r.window.findChild<LabelsDialog*>();
    ASSERT_FALSE(labels.isNull());
    ASSERT_TRUE(labels->isVisible());

    // An "Edit Label" open when another unit is shown gives nothing back.
    whenModal([&](QWidget* dialog) {
        dialog->findChild<QLineEdit*>()->setText(QStringLiteral("Kick"));
        r.session.command(command_id::deviceCombo, 1);
    });
    EXPECT_EQ(EditLabelDialog::edit(QStringLiteral("1"), 17, &r.window), std::nullopt);
    QTRY_VERIFY(labels.isNull() || !labels->isVisible());
}

// The matrix read-out is read in full over fields 0 and 1 and the room right of field 2;
// the link state stays in sight, and the fields come back when the mouse leaves.
TEST_F(MainWindowTest, TheMatrixReadOutHasTheRoomItNeeds) {
    ProgramRun& r = start();
    connectDemo({12});
    r.window.command(cid::matrixViewKey);
    QWidget* matrix = r.window.view(ViewSlot::Matrix);
    auto* field0 = r.window.findChild<QLabel*>("status0");
    auto* field1 = r.window.findChild<QLabel*>("status1");
    auto* field2 = r.window.findChild<QLabel*>("status2");
    const QString fieldText = field0->text();

    QTest::mouseMove(matrix, QPoint(20, 300)); // the pointer may rest on a cell already
    QTest::mouseMove(matrix, QPoint(95 + 20 * 31 + 10, 172 + 20 * 31 + 10 - 300));
    QTest::mouseMove(matrix, QPoint(95 + 20 * 30 + 10, 172 + 20 * 20 + 10));
    const QString hint = field0->toolTip();
    ASSERT_TRUE(hint.contains("(output")) << hint.toStdString();
    EXPECT_EQ(field0->text(), hint);
    EXPECT_GE(field0->contentsRect().width(), field0->fontMetrics().horizontalAdvance(hint));
    EXPECT_FALSE(field1->isVisible());
    EXPECT_TRUE(field2->isVisible());
    EXPECT_LE(field2->geometry().right(), r.window.statusBar()->width());

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(matrix, &leave);
    EXPECT_EQ(field0->text(), fieldText);
    EXPECT_EQ(field0->width(), 360);
    EXPECT_TRUE(field1->isVisible());
}
