#pragma once

#include "app/project_compare.h"

#include <QJsonObject>
#include <QString>

namespace varento::cli {

// A comparison grouped by unit: a head line per unit, then its differences as
// part, item, the project's value and the unit's.
QString comparisonToText(const ProjectComparison& comparison);
QJsonObject comparisonToJson(const ProjectComparison& comparison);

} // namespace varento::cli
