#pragma once

#include <QWidget>

#include <functional>
#include <vector>

namespace varento {

class CommandDispatcher;
class Session;

// The content windows the main window shows and hides by view and model.
enum class ViewSlot { Button, DrTrigger, Gain, Meterbridge, Matrix, Remote, PxRemote };

struct ViewContext {
    Session& session;
    CommandDispatcher& dispatcher; // views register the ids they handle here
    QWidget* parent;               // the main window's client area
};

// How one view comes into being. A view subscribes to Session's signals and
// registers its command ids itself, so adding a view is adding its class and one
// line to contentViews().
struct ViewFactory {
    ViewSlot slot;
    std::function<QWidget*(const ViewContext&)> create;
};

// In creation order (button, trigger, gain, meterbridge, matrix, remote, PX remote).
const std::vector<ViewFactory>& contentViews();

} // namespace varento
