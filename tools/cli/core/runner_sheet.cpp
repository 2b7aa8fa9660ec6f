// "route --sheet": the routing on paper for the stage crew, or as CSV.
#include "runner.h"
#include "text_format.h"

#include "app/session.h"
#include "print/routing_sheet.h"

namespace varento::cli {

int Runner::routeSheet() {
    if (!connectAndDiscover() || !gatherAll()) {
        return exit_status::noAnswer;
    }
    std::vector<SheetUnit> units;
    if (line_.uid) {
        if (session_.unit(*line_.uid) == nullptr || !answered(*line_.uid)) {
            return fail(exit_status::noAnswer,
                        QString("No unit with the id %1 answered; the units online are %2.")
                            .arg(uidHex(*line_.uid), onlineUnitsText()));
        }
        units.push_back({*session_.unit(*line_.uid), session_.unitName(*line_.uid)});
    } else {
        for (const DeviceRecord& unit : session_.discovered()) {
            if (answered(unit.uid)) {
                units.push_back({unit, session_.unitName(unit.uid)});
            }
        }
    }
    endProgress();
    if (const auto error =
            writeSheet(line_.output, units, line_.letter ? SheetPaper::Letter : SheetPaper::A4,
                       QDateTime::currentDateTime())) {
        return fail(exit_status::file, *error + ".");
    }
    console_.out(QString("Wrote the routing sheet of %1 unit(s) to %2.\n")
                     .arg(units.size())
                     .arg(line_.output));
    return exit_status::ok;
}

} // namespace varento::cli
