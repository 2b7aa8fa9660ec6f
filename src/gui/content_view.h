#pragma once

#include "app/app_state.h"
#include "protocol/catalog.h"

#include <QWidget>

class QMenu;

#include <functional>
#include <optional>
#include <vector>

namespace varento {

class AppSettings;
class CommandDispatcher;
class Session;

// The content windows the main window shows and hides by view and model.
enum class ViewSlot { Button, DrTrigger, Gain, Meterbridge, Matrix, Remote, PxRemote };

struct ViewContext {
    Session& session;
    CommandDispatcher& dispatcher; // the main window's commands (117, 118, ...)
    QWidget* parent;               // the main window's client area
    // A passing read-out for status field 0; an empty text gives the field back.
    std::function<void(const QString&)> hint;
    // Adds a menu of the view's own to the menu bar, after "&File".
    std::function<QMenu*(const QString& title)> addMenu;
    // The options kept between runs (a window of its own keeps its place there).
    AppSettings* settings = nullptr;
};

// One content view as the main window hosts it. The main window has no code for
// a particular view: it lays out, shows, enables and sizes views from these
// registrations (the window sizes of each view mode are in view_geometry.h). A
// view subscribes to Session's signals and keeps its own
// control ids to itself.
struct ContentViewSpec {
    ViewSlot slot;
    // The view mode it fills; none for a window of its own (the meterbridge).
    std::optional<ViewMode> mode;
    // Whether the current unit has this view.
    std::function<bool(const ModelCapabilities&)> available;
    std::function<QWidget*(const ViewContext&)> create;
    // The top-bar button lit while the view is shown, and the button that shows a
    // window of its own (0: none).
    int topButton = 0;
    // The key (or, for a window of its own, the menu item) that shows it while
    // connected; `keyToggles`: pressed again, back to the device view.
    int key = 0;
    bool keyToggles = false;
};

// In creation order: the views of the program.
const std::vector<ContentViewSpec>& contentViews();

} // namespace varento
