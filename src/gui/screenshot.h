#pragma once

#include <QString>
#include <QStringList>

namespace varento {

class MainWindow;
class Session;

// `varento-remote --screenshot FILE [--view=VIEW]`: the window or one of its views as
// a PNG, made once the units show what a user would see.

// The names --view accepts.
QStringList screenshotViews();

// Saves `view` into `file` once the current unit has been gathered and has sent
// parameters and levels (offline: once the unit is identified), then closes the
// window; exits with 1 when that fails or takes longer than 30 s.
void scheduleScreenshot(MainWindow& window, Session& session, const QString& view,
                        const QString& file, bool offline);

} // namespace varento
