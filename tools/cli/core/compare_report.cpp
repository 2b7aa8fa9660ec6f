#include "compare_report.h"

#include "text_format.h"

#include <QJsonArray>

#include <algorithm>

namespace varento::cli {

namespace {

QString unitHead(const UnitComparison& u) {
    QString head = uidHex(u.uid);
    if (!u.name.isEmpty() && u.name != uidHex(u.uid)) {
        head += QString(" \"%1\"").arg(u.name);
    }
    if (!u.model.isEmpty()) {
        head += QString(" (%1)").arg(u.model);
    }
    if (u.presence != UnitComparison::Presence::Compared) {
        return head + ": " + presenceText(u.presence);
    }
    head += u.differences.empty() ? QString(": as in the project")
                                  : QString(": %1 difference(s)").arg(u.differences.size());
    return u.labelsCompared ? head : head + ", labels not kept in the project";
}

} // namespace

QString comparisonToText(const ProjectComparison& c) {
    QString out = QString("%1: %2 dataset(s), the units read in %3 ms\n")
                      .arg(c.path)
                      .arg(c.datasets)
                      .arg(c.readMs, 0, 'f', 1);
    for (const UnitComparison& u : c.units) {
        out += unitHead(u) + '\n';
        qsizetype width = 4;
        for (const Difference& d : u.differences) {
            width = std::max(width, d.item.size());
        }
        for (const Difference& d : u.differences) {
            out += QString("  %1  %2  project %3, unit %4\n")
                       .arg(QString::fromLatin1(partName(d.part)), -8)
                       .arg(d.item, -static_cast<int>(width))
                       .arg(d.project, d.unit);
        }
    }
    out += c.differs() ? "The units differ from the project.\n"
                       : "The units hold what the project says.\n";
    return out;
}

QJsonObject comparisonToJson(const ProjectComparison& c) {
    QJsonArray units;
    for (const UnitComparison& u : c.units) {
        QJsonArray differences;
        for (const Difference& d : u.differences) {
            differences.append(QJsonObject{{"part", partName(d.part)},
                                           {"item", d.item},
                                           {"project", d.project},
                                           {"unit", d.unit}});
        }
        units.append(QJsonObject{{"uid", uidHex(u.uid)},
                                 {"name", u.name},
                                 {"typeName", u.model},
                                 {"presence", presenceText(u.presence)},
                                 {"labelsCompared", u.labelsCompared},
                                 {"differences", differences}});
    }
    return {{"file", c.path},
            {"datasets", c.datasets},
            {"readMs", c.readMs},
            {"differs", c.differs()},
            {"units", units}};
}

} // namespace varento::cli
