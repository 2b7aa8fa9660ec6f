#include "app/command_dispatcher.h"

#include "app/session.h"

namespace varento {

CommandDispatcher::CommandDispatcher(Session& session, QObject* parent)
    : QObject(parent), session_(session) {}

void CommandDispatcher::handle(int id, Handler handler) {
    handlers_.insert(id, std::move(handler));
}

void CommandDispatcher::handle(std::initializer_list<int> ids, const Handler& handler) {
    for (int id : ids) {
        handle(id, handler);
    }
}

bool CommandDispatcher::command(int id, int param) {
    bool known = true;
    if (auto it = handlers_.constFind(id); it != handlers_.constEnd()) {
        // A copy: the handler may register or replace handlers while it runs.
        const Handler handler = *it;
        handler(param);
    } else {
        known = session_.command(id, param);
    }
    emit commandIssued(id, param);
    return known;
}

} // namespace varento
