#include "app/content_view.h"

#include "app/command_dispatcher.h"
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

const std::vector<ViewFactory>& contentViews() {
    static const std::vector<ViewFactory> views{
        {ViewSlot::Remote, remoteWindow<RemoteWindow>},
        {ViewSlot::PxRemote, remoteWindow<PxRemoteWindow>},
    };
    return views;
}

} // namespace varento
