#include "gui/content_view.h"

#include "gui/command_dispatcher.h"
#include "ui/views/remote_window.h"

namespace varento {

namespace {

// The remote windows ask the main window through the dispatcher, like every view.
template <typename Window> QWidget* remoteWindow(const ViewContext& c) {
    auto* window = new Window(c.session, c.parent);
    window->model().setMainWindow([&dispatcher = c.dispatcher](int id) { dispatcher.command(id); });
    return window;
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
    };
    return views;
}

} // namespace varento
