#pragma once

#include <QHash>
#include <QObject>

#include <functional>

namespace varento {

class Session;

// The one entry point for every command id: menus, keys, top-bar buttons and the
// views all call command(). Ids that draw are handled by whoever registered for
// them (the main window, a view); every other id goes to Session.
class CommandDispatcher : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(int param)>;

    explicit CommandDispatcher(Session& session, QObject* parent = nullptr);

    // One handler an id: a second registration is refused (false) and the first
    // stays, so no window can take over another's command by accident.
    bool handle(int id, Handler handler);
    bool handles(int id) const { return handlers_.contains(id); }

    // False when neither a handler nor Session knows the id.
    bool command(int id, int param = 0);

signals:
    // Every command, after it ran (tests and tracing).
    void commandIssued(int id, int param);

private:
    Session& session_;
    QHash<int, Handler> handlers_;
};

} // namespace varento
