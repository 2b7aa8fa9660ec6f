#include "gui/command_dispatcher.h"

#include "app/session.h"

namespace varento {

CommandDispatcher::CommandDispatcher(Session& session, QObject* parent)
    : QObject(parent), session_(session) {}

bool CommandDispatcher::handle(int id, Handler handler) {
    if (handlers_.contains(id)) {
        qWarning("Command %d already has a handler; the second one is refused.", id);
        return false;
    }
    handlers_.insert(id, std::move(handler));
    return true;
}

bool CommandDispatcher::command(int id, int param) {
    bool known = true;
    if (auto it = handlers_.constFind(id); it != handlers_.constEnd()) {
        // A copy: the handler may register handlers while it runs.
        const Handler handler = *it;
        handler(param);
    } else {
        known = session_.command(id, param);
    }
    emit commandIssued(id, param);
    return known;
}

} // namespace varento
