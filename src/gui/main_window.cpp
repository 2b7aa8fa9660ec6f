#include "gui/main_window.h"

#include "app/app_settings.h"
#include "app/interaction.h"
#include "app/link_set.h"
#include "app/session.h"
#include "gui/front_end_ids.h"
#include "gui/top_bar.h"
#include "links/midi_link.h"
#include "links/serial_link.h"
#include "osc/osc_server.h"
#include "ui/controls/my_button.h"
#include "ui/dialogs/calibration_dialog.h"
#include "ui/dialogs/device_manager_dialog.h"
#include "ui/dialogs/edit_label_dialog.h"
#include "ui/dialogs/journal_window.h"
#include "ui/dialogs/labels_dialog.h"
#include "ui/dialogs/midi_io_dialog.h"
#include "ui/dialogs/osc_control_dialog.h"
#include "ui/dialogs/serial_port_dialog.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

namespace varento {

namespace cid = command_id;

namespace {

struct MenuItem {
    const char* text; // nullptr: a separator
    int id;
    bool checkable = false;
    bool checked = false;
    bool enabled = true;
};

struct Menu {
    const char* title;
    std::vector<MenuItem> items;
    const char* submenu = nullptr; // the items after the first, nested under this title
};

// The menu bar as the program has always had it: texts, ids and initial states.
const std::vector<Menu>& menuTable() {
    static const std::vector<Menu> menus{
        {"&File",
         {{"&Save... \t Ctrl+S", cid::savePreset},
          {"&Load Settings...", cid::loadSettings},
          {"Load &Matrix...", cid::loadMatrix},
          {"Load &Gain Settings...", cid::loadGains},
          {"L&oad All...", cid::loadAll},
          {nullptr, 0},
          {"Save Project As...", cid::saveProjectAs, false, false, false},
          {"Load Project...", cid::loadProject, false, false, false},
          {"Compare Project with Units...", cid::compareProject, false, false, false},
          {"Export Routing Sheet...", cid::exportRoutingSheet, false, false, false},
          {nullptr, 0},
          {"&Quit \t Alt+F4", cid::quit}}},
        {"&Command",
         {{"&Connect \t Ctrl+C", cid::connect},
          {"Device Manager", cid::deviceManager},
          {"VARENTO", cid::offlineBase, true},
          {"VARENTO.PX (SRC)", cid::offlinePx, true},
          {"VARENTO.LC", cid::offlineLc, true},
          {"VARENTO.AES (SRC)", cid::offlineAes, true},
          {"DR Spare Mic Switch...", cid::drSpareMicSwitch, false, false, false}},
         "Offline Mode"},
        {"&Labels",
         {{"&Edit Labels", cid::editLabels},
          {"&Export Labels", cid::exportLabels},
          {"&Import Labels", cid::importLabels}}},
        {"&Settings",
         {{"Enable &Serial I/O", cid::enableSerial, true, true},
          {"&Enable MIDI I/O", cid::enableMidi, true},
          {"Enable &Network", cid::enableNetwork, true},
          {nullptr, 0},
          {"Select Serial &Port", cid::selectSerialPort},
          {"Select &MIDI I/O", cid::selectMidi},
          {nullptr, 0},
          {"Disable &Remote-over-MADI", cid::disableRemoteOverMadi, true, false, false},
          {"AD/DA &Calibration", cid::calibration, false, false, false},
          {"Enable Click and &Drag in Matrix", cid::matrixDragging, true, true},
          {nullptr, 0},
          {"Reconnect &Automatically", cid::reconnectAutomatically, true, true},
          {"&OSC Control...", cid::oscControl}}},
        {"&Help", {{"&Journal", cid::journal}, {nullptr, 0}, {"&About", cid::about}}},
    };
    return menus;
}

struct Key {
    int id;
    QKeySequence sequence;
};

// The accelerator table: these act from every window of the program.
const std::vector<Key>& keyTable() {
    static const std::vector<Key> keys{
        {cid::connectKey, QKeySequence(Qt::CTRL | Qt::Key_C)},
        {cid::savePresetKey, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {cid::matrixViewKey, QKeySequence(Qt::Key_M)},
        {cid::gainViewKey, QKeySequence(Qt::Key_L)},
        {cid::deviceViewKey, QKeySequence(Qt::Key_R)},
        {cid::buttonViewKey, QKeySequence(Qt::Key_F12)},
        {cid::meterbridgeKey, QKeySequence(Qt::Key_O)},
        {cid::factoryDefaults, QKeySequence(Qt::CTRL | Qt::Key_F1)},
        {cid::gpo1Key, QKeySequence(Qt::KeypadModifier | Qt::Key_1)},
        {cid::gpo2Key, QKeySequence(Qt::KeypadModifier | Qt::Key_2)},
        {cid::noEffectF4, QKeySequence(Qt::Key_F4)},
        {cid::noEffectF5, QKeySequence(Qt::Key_F5)},
    };
    return keys;
}

// Items that cannot change while a connection is open.
constexpr std::initializer_list<int> kLockedWhileConnected{
    cid::offlineBase, cid::offlinePx,     cid::offlineLc,    cid::offlineAes,      cid::enableMidi,
    cid::selectMidi,  cid::enableNetwork, cid::enableSerial, cid::selectSerialPort};
// Items that need a unit.
constexpr std::initializer_list<int> kNeedAUnit{cid::calibration,    cid::disableRemoteOverMadi,
                                                cid::saveProjectAs,  cid::loadProject,
                                                cid::compareProject, cid::exportRoutingSheet};

constexpr int kStatusEdges[3] = {360, 460, 710};

} // namespace

MainWindow::MainWindow(Session& session, AppSettings& settings, Interaction& interaction,
                       std::vector<ContentViewSpec> views, QWidget* parent)
    : QMainWindow(parent), session_(session), settings_(settings), interaction_(interaction),
      dispatcher_(session), specs_(std::move(views)) {
    setObjectName(QStringLiteral("MainWindowClass"));
    setWindowTitle(QString::fromLatin1(kTitle));
    // No maximise box: each view has its own size limits.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setGeometry(50, 50, 710, 400);
    setAutoFillBackground(true);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(212, 208, 200));
    setPalette(grey);

    buildMenus();
    buildKeys();
    buildTopBar();
    buildStatusBar();
    registerCommands();
    connectSession();
    startOsc();
}

MainWindow::~MainWindow() {
    shutDown();
}

// ---- construction ------------------------------------------------------------------------

void MainWindow::buildMenus() {
    for (const Menu& menu : menuTable()) {
        QMenu* target = menuBar()->addMenu(QString::fromLatin1(menu.title));
        for (std::size_t i = 0; i < menu.items.size(); ++i) {
            const MenuItem& item = menu.items[i];
            if (item.text == nullptr) {
                target->addSeparator();
                continue;
            }
            QMenu* into = target;
            // The checkable items of a menu with a submenu (the offline models) sit in it.
            if (menu.submenu != nullptr && item.checkable) {
                auto existing = target->findChild<QMenu*>(QString::fromLatin1(menu.submenu));
                into = existing ? existing : target->addMenu(QString::fromLatin1(menu.submenu));
                into->setObjectName(QString::fromLatin1(menu.submenu));
            }
            QAction* action = into->addAction(QString::fromLatin1(item.text));
            action->setObjectName(QString::number(item.id));
            action->setData(item.id);
            action->setCheckable(item.checkable);
            action->setChecked(item.checked);
            action->setEnabled(item.enabled);
            const int id = item.id;
            connect(action, &QAction::triggered, this, [this, id] { command(id); });
            actions_.insert(id, action);
        }
    }
}

void MainWindow::buildKeys() {
    for (const Key& key : keyTable()) {
        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("key%1").arg(key.id));
        action->setShortcut(key.sequence);
        action->setShortcutContext(Qt::ApplicationShortcut);
        const int id = key.id;
        connect(action, &QAction::triggered, this, [this, id] { command(id); });
        addAction(action);
        keys_.insert(id, action);
    }
}

void MainWindow::buildTopBar() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    topBar_ = new TopBar(client_);
    topBar_->setGeometry(0, 0, 4096, TopBar::kHeight);

    struct TopButton {
        int id;
        int x;
        std::array<int, 5> bitmaps;
        bool toggle;
    };
    const TopButton topButtons[] = {
        {cid::connect, 10, {106, 107, 108, 109, 0}, true},
        {cid::matrixButton, 60, {155, 156, 173, 156, 0}, true},
        {cid::meterbridgeButton, 140, {204, 206, 205, 206, 0}, false},
        {cid::gainButton, 220, {180, 181, 182, 181, 0}, true},
    };
    for (const TopButton& top : topButtons) {
        MyButton::Block block;
        block.bitmaps = top.bitmaps;
        block.toggle = top.toggle;
        MyButton* button = MyButton::create(topBar_, top.id, top.x, 7, block);
        connect(button, &MyButton::clicked, this,
                [this](int id, int state) { command(id, state); });
        buttons_.insert(top.id, button);
    }
    buttons_[cid::connect]->setToolTip(QStringLiteral("Connect"));
    buttons_[cid::matrixButton]->setToolTip(QStringLiteral("Matrix (M)"));
    buttons_[cid::meterbridgeButton]->setToolTip(QStringLiteral("Meterbridge (O)"));
    buttons_[cid::gainButton]->setToolTip(QStringLiteral("Gain (L)"));
    for (int id : {cid::matrixButton, cid::gainButton}) {
        enableButton(id, false);
        showButton(id, false);
    }
    showButton(cid::meterbridgeButton, false);

    deviceCombo_ = new QComboBox(topBar_);
    deviceCombo_->setObjectName(QString::number(cid::deviceCombo));
    deviceCombo_->setGeometry(345, 12, 340, 26);
    deviceCombo_->setFont(TopBar::textFont());
    deviceCombo_->setMaxVisibleItems(16);
    deviceCombo_->setEnabled(false);
    connect(deviceCombo_, &QComboBox::activated, this,
            [this](int index) { command(cid::deviceCombo, index); });
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    int left = 0;
    for (int field = 0; field < 3; ++field) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("status%1").arg(field));
        label->setFixedWidth(kStatusEdges[field] - left - (field == 0 ? 0 : 6));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(4, 0, 4, 0);
        left = kStatusEdges[field];
        bar->addWidget(label);
        status_[field] = label;
    }
    setStatusText(2, QStringLiteral("\tNot Connected"));
}

void MainWindow::registerCommands() {
    auto& d = dispatcher_;
    d.handle(cid::quit, [this](int) { close(); });
    d.handle(cid::about, [this](int) { about(); });
    d.handle(cid::savePresetKey, [this](int) { command(cid::savePreset); });
    d.handle(cid::selectSerialPort, [this](int) { selectSerialPort(); });
    d.handle(cid::selectMidi, [this](int) { selectMidi(); });
    d.handle(cid::calibration, [this](int) { calibrate(); });
    d.handle(cid::deviceManager, [this](int) { openDeviceManager(); });
    d.handle(cid::editLabels, [this](int) { editLabels(); });
    d.handle(cid::journal, [this](int) { showJournal(); });
    d.handle(cid::oscControl, [this](int) { showOscControl(); });
    d.handle(cid::compareProject, [this](int) { compareProjectWithUnits(); });
    d.handle(cid::exportRoutingSheet, [this](int) { exportRoutingSheet(); });
    d.handle(cid::matrixDragging, [this](int) {
        session_.state().matrixDraggingMode = !session_.state().matrixDraggingMode;
        syncChecks();
    });
    d.handle(cid::reconnectAutomatically, [this](int) {
        session_.setReconnectAutomatically(!session_.state().reconnectAutomatically);
        syncChecks();
    });
    d.handle(cid::relayout, [this](int) { relayout(); });
    d.handle(cid::buttonView,
             [this](int param) { setViewMode(param == 2 ? ViewMode::Button : ViewMode::Device); });
    d.handle(cid::deviceViewKey, [this](int) {
        if (session_.state().isConnected) {
            setViewMode(ViewMode::Device);
        }
    });
    for (int id : {cid::noEffectF4, cid::noEffectF5}) {
        d.handle(id, [](int) {});
    }
    for (const ContentViewSpec& spec : specs_) {
        registerView(spec);
    }
}

// A view's button and key, from its registration.
void MainWindow::registerView(const ContentViewSpec& spec) {
    auto& d = dispatcher_;
    const ViewSlot slot = spec.slot;
    if (spec.mode && spec.mode != ViewMode::Device && spec.topButton != 0) {
        const ViewMode mode = *spec.mode;
        d.handle(spec.topButton,
                 [this, mode](int state) { setViewMode(state == 2 ? mode : ViewMode::Device); });
    } else if (!spec.mode && spec.topButton != 0) {
        d.handle(spec.topButton, [this, slot](int) { showOwnWindow(slot); });
    }
    if (spec.key == 0) {
        return;
    }
    d.handle(spec.key, [this, slot](int) {
        const ContentViewSpec* view = specFor(slot);
        if (!session_.state().isConnected || !availableNow(*view)) {
            return;
        }
        if (!view->mode) {
            showOwnWindow(slot);
            return;
        }
        const bool back = view->keyToggles && session_.state().viewMode == *view->mode;
        setViewMode(back ? ViewMode::Device : *view->mode);
    });
}

const ContentViewSpec* MainWindow::specFor(ViewSlot slot) const {
    for (const ContentViewSpec& spec : specs_) {
        if (spec.slot == slot) {
            return &spec;
        }
    }
    return nullptr;
}

bool MainWindow::availableNow(const ContentViewSpec& spec) const {
    const DeviceRecord& unit = session_.current();
    return !spec.available ||
           spec.available(capabilities(unit.model,
                                       static_cast<std::int8_t>(unit.at(param::firmwareMajor)),
                                       static_cast<std::int8_t>(unit.at(param::firmwareMinor))));
}

void MainWindow::connectSession() {
    Session* s = &session_;
    connect(s, &Session::connectedChanged, this, &MainWindow::onConnectedChanged);
    connect(s, &Session::connectFailed, this, &MainWindow::onConnectFailed);
    // Retrying looks like connecting, so that Connect/Disconnect ends it; when the
    // retries end, connectedChanged follows.
    connect(s, &Session::reconnectingChanged, this, [this](bool on) {
        if (on) {
            showLinkInUse(true);
        }
    });
    connect(s, &Session::statusTextChanged, this, &MainWindow::setStatusText);
    // An "Edit Label" belongs to the unit it was opened for.
    connect(s, &Session::currentUnitChanged, this, [] { EditLabelDialog::closeAll(); });
    connect(s, &Session::statusAlarmChanged, this, &MainWindow::setAlarm);
    connect(s, &Session::unitListChanged, this, &MainWindow::onUnitListChanged);
    connect(s, &Session::gatheringChanged, this,
            [this] { topBar_->setGathering(session_.gathering(), session_.discovered().count()); });
    connect(s, &Session::unitIdentified, this, &MainWindow::onUnitIdentified);
    connect(s, &Session::offlineModelChanged, this, &MainWindow::onOfflineModelChanged);
    connect(s, &Session::linkModeChanged, this, &MainWindow::syncChecks);
    connect(s, &Session::remoteOverMadiChanged, this, &MainWindow::syncChecks);
    connect(s, &Session::parametersChanged, this, &MainWindow::syncChecks);
    connect(s, &Session::viewModeChanged, this, [this](ViewMode) { relayout(); });
    connect(s, &Session::titleChanged, this, &QWidget::setWindowTitle);
    // Dialogs the session asks for open from the event loop, not inside its flows.
    connect(
        s, &Session::frontEndCommand, this,
        [this](int id, int param) {
            if (demo_ && id == cid::selectSerialPort) {
                return; // the demo needs no port
            }
            command(id, param);
        },
        Qt::QueuedConnection);
}

void MainWindow::start(const PersistedSettings& settings) {
    session_.start(settings);
    viewSizes_ = ViewSizes{}; // the matrix view starts at 830 x 1000 every time
    createViews();
    syncChecks();
    applySizeLimits();
}

void MainWindow::setDemo(bool demo) {
    demo_ = demo;
    if (demo) {
        setStatusText(0, QStringLiteral("Demo units (emulated in-process)"));
        setStatusText(1, QStringLiteral("\tDemo"));
    }
}

void MainWindow::createViews() {
    const ViewContext context{session_,
                              dispatcher_,
                              client_,
                              [this](const QString& text) { showHint(text); },
                              [this](const QString& title) {
                                  auto* menu = new QMenu(title, menuBar());
                                  const QList<QAction*> menus = menuBar()->actions();
                                  menuBar()->insertMenu(menus.value(1), menu);
                                  return menu;
                              },
                              &settings_};
    for (const ContentViewSpec& spec : specs_) {
        if (views_.value(spec.slot)) {
            continue;
        }
        QWidget* view = spec.create(context);
        if (view == nullptr) {
            continue;
        }
        if (spec.mode) {
            view->move(0, TopBar::kHeight);
            view->hide();
        }
        views_.insert(spec.slot, view);
    }
}

// ---- status bar ------------------------------------------------------------------------------

void MainWindow::setStatusText(int field, const QString& text) {
    if (field < 0 || field > 2) {
        return;
    }
    statusTexts_[field] = text;
    // A leading tab centres the text in its field.
    const bool centred = text.startsWith(QLatin1Char('\t'));
    status_[field]->setText(centred ? text.mid(1) : text);
    status_[field]->setAlignment((centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    if (field != 1) {
        status_[field]->setToolTip(centred ? text.mid(1) : text);
    }
}

// A view's passing read-out over field 0; the field's own text comes back after. A read-out
// longer than the field takes field 1's room and the room right of field 2 as well (the link
// state stays in sight, at the bar's end); what still does not fit is elided, the whole text
// in the tip.
void MainWindow::showHint(const QString& text) {
    QLabel* field0 = status_[0];
    if (text.isEmpty()) {
        field0->setFixedWidth(kStatusEdges[0]);
        status_[1]->show();
        setStatusText(0, statusTexts_[0]);
        return;
    }
    const int chrome = field0->width() - field0->contentsRect().width();
    const int needed = field0->fontMetrics().horizontalAdvance(text) + chrome;
    const bool wide = needed > kStatusEdges[0];
    status_[1]->setVisible(!wide);
    const int spare = qMax(0, statusBar()->contentsRect().width() - kStatusEdges[2] - 4);
    field0->setFixedWidth(wide ? kStatusEdges[1] + spare : kStatusEdges[0]);
    field0->setText(
        field0->fontMetrics().elidedText(text, Qt::ElideRight, field0->width() - chrome));
    field0->setToolTip(text);
}

QString MainWindow::statusText(int field) const {
    return field >= 0 && field < 3 ? statusTexts_[field] : QString();
}

void MainWindow::setAlarm(bool on) {
    alarm_ = on;
    statusBar()->setStyleSheet(on ? QStringLiteral("QStatusBar { background: rgb(255, 0, 0); }")
                                  : QString());
}

// ---- menu states ----------------------------------------------------------------------------

void MainWindow::syncChecks() {
    const AppState& st = session_.state();
    actions_[cid::enableMidi]->setChecked(st.midiMode);
    actions_[cid::enableNetwork]->setChecked(st.networkMode);
    actions_[cid::enableSerial]->setChecked(!st.midiMode && !st.networkMode);
    actions_[cid::offlineBase]->setChecked(st.offlineModel == OfflineModel::Base);
    actions_[cid::offlinePx]->setChecked(st.offlineModel == OfflineModel::Px);
    actions_[cid::offlineLc]->setChecked(st.offlineModel == OfflineModel::Lc);
    actions_[cid::offlineAes]->setChecked(st.offlineModel == OfflineModel::Aes);
    actions_[cid::disableRemoteOverMadi]->setChecked(session_.remoteOverMadiDisabled());
    actions_[cid::matrixDragging]->setChecked(st.matrixDraggingMode);
    actions_[cid::reconnectAutomatically]->setChecked(st.reconnectAutomatically);
}

void MainWindow::setEnabled(std::initializer_list<int> ids, bool enabled) {
    for (int id : ids) {
        if (QAction* a = actions_.value(id)) {
            a->setEnabled(enabled);
        }
    }
}

// ---- top-bar controls ------------------------------------------------------------------------

MyButton* MainWindow::topButton(int id) const {
    return buttons_.value(id);
}

void MainWindow::setButtonState(int id, int state) {
    if (MyButton* b = buttons_.value(id)) {
        b->setState(state);
    }
}

void MainWindow::showButton(int id, bool shown) {
    if (MyButton* b = buttons_.value(id)) {
        b->setVisible(shown);
    }
}

void MainWindow::enableButton(int id, bool enabled) {
    if (MyButton* b = buttons_.value(id)) {
        b->setEnabled(enabled);
    }
}

// ---- connection -------------------------------------------------------------------------------

// The Connect button and menu item, and the items that cannot change while a
// link is open or being opened again.
void MainWindow::showLinkInUse(bool inUse) {
    actions_[cid::connect]->setText(inUse ? QStringLiteral("Disconnect \t Ctrl+C")
                                          : QStringLiteral("Connect \t Ctrl+C"));
    setEnabled(kLockedWhileConnected, !inUse);
    setButtonState(cid::connect, inUse ? MyButton::On : MyButton::Off);
}

void MainWindow::onConnectedChanged(bool connected) {
    showLinkInUse(connected);
    if (connected) {
        topBar_->update();
        return;
    }
    setEnabled(kNeedAUnit, false);
    hideUnitViews();
    deviceCombo_->setEnabled(false);
    update();
}

// No unit any more: its views, their buttons and the windows of their own go.
void MainWindow::hideUnitViews() {
    for (const ContentViewSpec& spec : specs_) {
        if (spec.mode) {
            showView(spec.slot, false);
        } else if (QWidget* v = views_.value(spec.slot)) {
            v->close();
        }
        if (spec.topButton != 0) {
            setButtonState(spec.topButton, MyButton::Off);
            showButton(spec.topButton, false);
            enableButton(spec.topButton, false);
        }
        if (!spec.mode && spec.key != 0) {
            setEnabled({spec.key}, false);
        }
    }
}

// The link did not open: the Connect button and the menu as before; the views,
// offline mode and the unit list stay.
void MainWindow::onConnectFailed(int dialogCommand) {
    showLinkInUse(false);
    if (dialogCommand != 0 && !demo_) {
        command(dialogCommand);
    }
}

void MainWindow::onUnitListChanged(const QStringList& items, int selected) {
    const QSignalBlocker quiet(deviceCombo_);
    if (deviceCombo_->count() != items.size() || [&] {
            for (int i = 0; i < items.size(); ++i) {
                if (deviceCombo_->itemText(i) != items[i]) {
                    return true;
                }
            }
            return false;
        }()) {
        deviceCombo_->clear();
        deviceCombo_->addItems(items);
    }
    deviceCombo_->setCurrentIndex(items.isEmpty() ? -1 : selected);
}

// The unit's model is known: the views it has appear, with their buttons.
void MainWindow::onUnitIdentified(int model) {
    setEnabled(kNeedAUnit, true);
    // Offline there is one unit: the selector has nothing to offer.
    deviceCombo_->setEnabled(!session_.state().offline());
    for (const ContentViewSpec& spec : specs_) {
        const bool available = availableNow(spec);
        if (spec.topButton != 0) {
            showButton(spec.topButton, available);
            enableButton(spec.topButton, available);
        }
        if (!spec.mode && !available) {
            if (QWidget* v = views_.value(spec.slot)) {
                v->close();
            }
        }
        if (!spec.mode && spec.key != 0) {
            setEnabled({spec.key}, available && session_.state().isConnected);
        }
    }
    if (capabilities(model).frontPanel != FrontPanel::None) {
        relayout();
    }
    topBar_->update();
}

void MainWindow::onOfflineModelChanged(OfflineModel model) {
    syncChecks();
    if (model == OfflineModel::None) {
        hideUnitViews(); // leaving, by the menu or by connecting
    }
    // Entering: the views follow with the unit's identification.
}

// ---- views -------------------------------------------------------------------------------------

void MainWindow::showView(ViewSlot slot, bool shown) {
    if (QWidget* v = views_.value(slot)) {
        v->setVisible(shown);
        if (shown) {
            v->raise();
        }
    }
}

void MainWindow::showOwnWindow(ViewSlot slot) {
    if (!views_.value(slot)) {
        createViews(); // it may have been closed and destroyed
    }
    if (QWidget* v = views_.value(slot)) {
        v->show();
        v->raise();
    }
}

void MainWindow::setViewMode(ViewMode mode) {
    session_.state().viewMode = mode;
    relayout();
}

// Every registered view is shown when it fills the current view mode and the unit
// has it; the window takes the mode's size.
void MainWindow::relayout() {
    const ViewMode mode = session_.state().viewMode;
    const int model = session_.current().model;
    // The size is taken before the limits change: applying them resizes the window,
    // and that resize would be remembered as the view's size.
    const QSize size = mode == ViewMode::Device ? deviceViewSize(model, frame_) : viewSize(mode);
    applySizeLimits();
    resizeWindow(size);
    for (const ContentViewSpec& spec : specs_) {
        if (!spec.mode) {
            continue;
        }
        const bool shown = *spec.mode == mode && availableNow(spec);
        showView(spec.slot, shown);
        if (spec.topButton != 0) {
            setButtonState(spec.topButton, *spec.mode == mode ? MyButton::On : MyButton::Off);
        }
        if (shown && mode != ViewMode::Device) {
            views_.value(spec.slot)->setFocus();
        }
    }
    if (mode == ViewMode::Matrix) {
        session_.pollEngine().askRoutingNext();
    }
}

QSize MainWindow::viewSize(ViewMode mode) const {
    switch (mode) {
    case ViewMode::Matrix:
        return viewSizes_.matrix;
    case ViewMode::Gain:
        return viewSizes_.gain;
    case ViewMode::Button:
        return viewSizes_.button;
    case ViewMode::Device:
        break;
    }
    return {};
}

// The limits and view sizes are window sizes with the frame's border and caption
// counted in; a Qt window is sized inside its frame, so those terms are 0 here and
// the sizes apply as they stand (the menu bar and the status bar within them).
void MainWindow::resizeWindow(QSize windowSize) {
    resize(windowSize);
}

void MainWindow::applySizeLimits() {
    const SizeLimits limits =
        sizeLimits(session_.state().viewMode, session_.current().model, frame_);
    setMinimumSize(limits.minimum);
    setMaximumSize(limits.maximum);
}

void MainWindow::measureFrame() {
    frame_.frameX = 0;
    frame_.frameY = menuBar()->sizeHint().height();
    frame_.statusHeight = statusBar()->sizeHint().height();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    measureFrame();
    applySizeLimits();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    topBar_->resize(qMax(width(), 4096), TopBar::kHeight);
    // The client area as the bookkeeping counts it: below the menu, status bar included.
    const QSize client(width(), height() - menuBar()->height());
    const ViewMode mode = session_.state().viewMode;
    const QSize content = contentSizeAfterResize(mode, client, frame_, viewSizes_);
    if (!content.isValid()) {
        return;
    }
    for (const ContentViewSpec& spec : specs_) {
        if (spec.mode == mode && views_.value(spec.slot)) {
            views_.value(spec.slot)->resize(content);
        }
    }
}

bool MainWindow::event(QEvent* event) {
    const bool result = QMainWindow::event(event);
    if (event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest) {
        if (!painted_ && isVisible()) {
            painted_ = true;
            emit firstPaint();
        }
    }
    return result;
}

// ---- dialogs ------------------------------------------------------------------------------------

void MainWindow::about() {
    interaction_.inform(QStringLiteral("About..."),
                        QString::fromLatin1(kTitle) + QStringLiteral("\nBuild : ") +
                            QStringLiteral(VARENTO_VERSION),
                        MessageIcon::Information);
}

void MainWindow::selectSerialPort() {
    SerialLink& serial = session_.links().serial();
    QList<SerialPortModel::Port> ports;
    for (const SerialLink::Port& port : serial.availablePorts()) {
        ports.append({port.name, port.path});
    }
    auto* dialog = new SerialPortDialog(SerialPortModel(ports, serial.rememberedPortPath()), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
        SerialLink& link = session_.links().serial();
        if (result == QDialog::Accepted) {
            if (const auto port = dialog->selectedPort()) {
                link.selectPort({port->name, port->path});
            }
        }
        if (!session_.state().midiMode && !session_.state().networkMode && !demo_) {
            setStatusText(0, link.selectedPortName());
        }
    });
    dialog->open();
}

void MainWindow::selectMidi() {
    MidiLink& midi = session_.links().midi();
    midi.refreshDevices();
    MidiIoModel model(midi.inputDevices(), midi.outputDevices(), midi.state().inputDevice,
                      midi.state().outputDevice);
    model.open(interaction_);
    auto* dialog = new MidiIoDialog(model, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
        MidiLink& link = session_.links().midi();
        if (result == QDialog::Accepted) {
            if (const auto choice = dialog->choice()) {
                link.applyDeviceChoice(choice->first, choice->second);
            }
        }
        if (session_.state().midiMode) {
            setStatusText(0, link.endpointText());
        }
    });
    dialog->open();
}

void MainWindow::calibrate() {
    session_.stopTimers();
    // The dialog edits a copy; the editor takes its values and sends them.
    auto working = std::make_shared<DeviceRecord>(session_.current());
    auto* dialog = new CalibrationDialog(*working, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &CalibrationDialog::applyRequested, this,
            [this, working] { session_.editor(working->uid).applyCalibration(*working); });
    connect(dialog, &QDialog::finished, this, [this, working](int) {
        session_.editor(working->uid).applyCalibration(*working);
        if (session_.state().isConnected) {
            session_.restartTimers();
        }
    });
    dialog->open();
}

void MainWindow::openDeviceManager() {
    if (!DeviceManagerModel::canOpen(session_.deviceList(), interaction_)) {
        return;
    }
    auto* dialog = new DeviceManagerDialog(session_.deviceList(), interaction_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this] {
        if (const std::error_code error = session_.deviceManagerAccepted()) {
            setStatusText(0, QStringLiteral("The device list could not be written: %1.")
                                 .arg(QString::fromStdString(error.message())));
        }
    });
    dialog->open();
}

void MainWindow::editLabels() {
    const DeviceUid unit = session_.currentUnit();
    if (!session_.unitReady(unit)) {
        // Its labels would be stored over what has not been read yet.
        setStatusText(0, QStringLiteral("The unit's data is still being read: labels can be "
                                        "edited in a moment."));
        return;
    }
    session_.loadCurrentLabels();
    auto* dialog = new LabelsDialog(session_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, &session_,
            [this, unit](int) { session_.storeAndApplyLabels(unit); });
    dialog->open();
}

// One window, raised when asked for again; it lives until closed.
// The server runs as stored from the start; one that cannot open says so below.
void MainWindow::startOsc() {
    osc_ = std::make_unique<osc::Server>(session_);
    if (const auto error = osc_->apply(osc::loadSettings(settings_.store()))) {
        setStatusText(0, *error);
    }
}

void MainWindow::showOscControl() {
    auto* dialog = new OscControlDialog(*osc_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &OscControlDialog::applied, this,
            [this](const osc::Settings& s) { osc::saveSettings(settings_.store(), s); });
    dialog->open();
}

void MainWindow::showJournal() {
    if (!journal_) {
        journal_ = new JournalWindow(session_, this);
    }
    journal_->show();
    journal_->raise();
    journal_->activateWindow();
}

// ---- closing ------------------------------------------------------------------------------------

// True when the window may go.
bool MainWindow::closeFlow() {
    // Links closed and timers stopped first, so nothing reaches a unit once the
    // window is gone.
    if (session_.state().isConnected) {
        session_.disconnect();
    }
    const AppState& st = session_.state();
    if (st.offline() && !st.allSaved()) {
        const Answer answer = interaction_.message(
            QStringLiteral("Close Application..."),
            QStringLiteral("Changes made in offline mode are currently not saved. Do you want to "
                           "save all settings?"),
            MessageIcon::Question, MessageButtons::YesNoCancel);
        if (answer == Answer::Cancel) {
            return false;
        }
        if (answer == Answer::Yes) {
            command(cid::savePreset);
        }
    }
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (shutDown_ || closeFlow()) {
        shutDown();
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::shutDown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    session_.shutDown();
    PersistedSettings persisted = session_.persistedSettings();
    persisted.matrixViewWidth = viewSizes_.matrix.width();
    persisted.matrixViewHeight = viewSizes_.matrix.height();
    settings_.save(persisted, interaction_);
}

} // namespace varento
