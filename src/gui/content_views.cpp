#include "gui/content_view.h"

#include "gui/command_dispatcher.h"
#include "gui/front_end_ids.h"
#include "protocol/catalog.h"
#include "ui/views/button_window.h"
#include "ui/views/dr_trigger_window.h"
#include "ui/views/gain_window.h"
#include "ui/views/matrix_window.h"
#include "ui/views/meterbridge_window.h"
#include "ui/views/remote_window.h"

#include <QPointer>

namespace varento {

namespace {

// The remote windows ask the main window through the dispatcher, like every view.
template <typename Window> QWidget* remoteWindow(const ViewContext& c) {
    auto* window = new Window(c.session, c.parent);
    window->model().setMainWindow([&dispatcher = c.dispatcher](int id) { dispatcher.command(id); });
    return window;
}

QWidget* matrixWindow(const ViewContext& c) {
    auto* window = new MatrixWindow(c.session, c.parent);
    window->setHintSink(c.hint);
    window->setEditMenu(c.addMenu(QStringLiteral("&Edit")));
    return window;
}

// The gain window asks the main window for unit selection and project files; the
// NumPad GPO keys flip its GPO buttons from every window.
QWidget* gainWindow(const ViewContext& c) {
    auto* window = new GainWindow(c.session, c.parent);
    GainModel& model = window->model();
    model.setCommandSink(
        [&dispatcher = c.dispatcher](int id, int param) { dispatcher.command(id, param); });
    for (const auto& [key, gpo] : {std::pair{command_id::gpo1Key, GainModel::Gpo::One},
                                   std::pair{command_id::gpo2Key, GainModel::Gpo::Two}}) {
        c.dispatcher.handle(key,
                            [&session = c.session, shown = QPointer(window), which = gpo](int) {
                                if (shown && capabilities(session.current().model).micInputs) {
                                    shown->model().toggleGpo(which);
                                }
                            });
    }
    return window;
}

// A window of its own beside the main window, made again after each close.
QWidget* meterbridgeWindow(const ViewContext& c) {
    return new MeterbridgeWindow(c.session, c.settings, c.parent);
}

QWidget* buttonWindow(const ViewContext& c) {
    return new ButtonWindow(
        c.session, [&dispatcher = c.dispatcher](int id) { dispatcher.command(id); }, c.parent);
}

// A window of its own, created hidden; the menu item shows it.
QWidget* drTriggerWindow(const ViewContext& c) {
    return new DrTriggerWindow(
        c.session,
        [&dispatcher = c.dispatcher](int id, int param) { dispatcher.command(id, param); },
        c.parent);
}

} // namespace

const std::vector<ContentViewSpec>& contentViews() {
    static const std::vector<ContentViewSpec> views{
        {ViewSlot::Remote, ViewMode::Device,
         [](const ModelCapabilities& c) { return c.frontPanel == FrontPanel::Base; },
         remoteWindow<RemoteWindow>},
        {ViewSlot::PxRemote, ViewMode::Device,
         [](const ModelCapabilities& c) { return c.frontPanel == FrontPanel::Extended; },
         remoteWindow<PxRemoteWindow>},
        {ViewSlot::Matrix, ViewMode::Matrix,
         [](const ModelCapabilities& c) {
             return c.matrixButton && c.frontPanel != FrontPanel::None;
         },
         matrixWindow, command_id::matrixButton, command_id::matrixViewKey},
        {ViewSlot::Gain, ViewMode::Gain, [](const ModelCapabilities& c) { return c.micInputs; },
         gainWindow, command_id::gainButton, command_id::gainViewKey},
        {ViewSlot::Meterbridge, std::nullopt,
         [](const ModelCapabilities& c) { return c.meterbridge; }, meterbridgeWindow,
         command_id::meterbridgeButton, command_id::meterbridgeKey},
        {ViewSlot::Button, ViewMode::Button, nullptr, buttonWindow, 0, command_id::buttonViewKey,
         true},
        {ViewSlot::DrTrigger, std::nullopt, [](const ModelCapabilities& c) { return c.micInputs; },
         drTriggerWindow, 0, command_id::drSpareMicSwitch},
    };
    return views;
}

} // namespace varento
