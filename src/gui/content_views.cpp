#include "gui/content_view.h"

#include "gui/command_dispatcher.h"
#include "gui/front_end_ids.h"
#include "ui/views/button_window.h"
#include "ui/views/dr_trigger_window.h"
#include "ui/views/matrix_window.h"
#include "ui/views/remote_window.h"

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
        {ViewSlot::Button, ViewMode::Button, nullptr, buttonWindow, 0, command_id::buttonViewKey,
         true},
        {ViewSlot::DrTrigger, std::nullopt, [](const ModelCapabilities& c) { return c.micInputs; },
         drTriggerWindow, 0, command_id::drSpareMicSwitch},
    };
    return views;
}

} // namespace varento
