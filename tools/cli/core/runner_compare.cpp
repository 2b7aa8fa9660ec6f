// "project compare": a pre-show check of the units against a project file.
#include "compare_report.h"
#include "runner.h"
#include "text_format.h"

#include "app/session.h"
#include "files/file_header.h"

namespace varento::cli {

int Runner::projectCompare() {
    if (!checkPresetFile(kProjectFileType)) {
        return exit_status::file;
    }
    if (!connectAndDiscover() || !gatherAll()) {
        return exit_status::noAnswer;
    }
    progress("Reading the units of the project...");
    std::optional<ProjectComparison> result;
    if (const auto refused = session_.compareProject(
            line_.file, [&result](const ProjectComparison& c) { result = c; })) {
        return fail(exit_status::noAnswer, QString("%1: %2.").arg(line_.file, *refused));
    }
    // The reads time out on their own; the wait only ends them on Ctrl+C.
    waitUntil([&result] { return result.has_value(); }, -1);
    endProgress();
    if (!result) {
        return exit_status::interrupted;
    }
    console_.out(line_.json ? jsonText(comparisonToJson(*result)) : comparisonToText(*result));
    return result->differs() ? exit_status::noAnswer : exit_status::ok;
}

} // namespace varento::cli
