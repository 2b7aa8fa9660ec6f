#include "app/project_compare.h"

#include "app/cp1252.h"
#include "app/edit_description.h"
#include "app/parameters.h"
#include "app/routing_labels.h"
#include "files/label_file.h"
#include "files/project_file.h"
#include "protocol/catalog.h"

#include <QStringList>

#include <algorithm>

namespace varento {

namespace {

constexpr UnitFlag kFlags[] = {UnitFlag::MatrixMode,   UnitFlag::ExtendedRouting,
                               UnitFlag::UpperBank,    UnitFlag::RemoteOverMadiDisabled,
                               UnitFlag::GainsEnabled, UnitFlag::OutputsMuted};

QString onOff(bool on) {
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QString byteValue(int parameter, std::uint8_t value) {
    const QString meaning = parameterMeaning(parameter, value);
    const QString hex = QStringLiteral("0x%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
    return meaning.isEmpty() ? hex : QStringLiteral("%1 (%2)").arg(meaning, hex);
}

QString sourceWords(const DeviceRecord& labels, std::uint8_t source) {
    if (source == kNoSource) {
        return QStringLiteral("none");
    }
    const auto label = sourceLabel(labels, source);
    return label ? QStringLiteral("%1 \"%2\"").arg(sourceChannelName(source), *label)
                 : QStringLiteral("source %1").arg(source);
}

QString busWords(const std::vector<int>& sources) {
    QStringList out;
    for (const int s : sources) {
        out << sourceChannelName(s);
    }
    return out.isEmpty() ? QStringLiteral("nothing") : out.join(QStringLiteral(", "));
}

void compareSettings(const DeviceRecord& want, const DeviceRecord& is,
                     std::vector<Difference>& out) {
    for (int p = 0; p <= param::last; ++p) {
        std::uint8_t differing = want.at(p) ^ is.at(p);
        if (differing == 0) {
            continue;
        }
        // A switch with a name of its own is said as such; the other bits by value.
        for (const UnitFlag flag : kFlags) {
            const FlagBit bit = flagBit(flag);
            if (bit.parameter == p && (differing & bit.mask) != 0) {
                out.push_back({Difference::Part::Settings, unitFlagName(flag),
                               onOff(want.flag(flag)), onOff(is.flag(flag))});
                differing = static_cast<std::uint8_t>(differing & ~bit.mask);
            }
        }
        if (differing != 0) {
            out.push_back({Difference::Part::Settings, QString::fromLatin1(parameterInfo(p)->name),
                           byteValue(p, want.at(p)), byteValue(p, is.at(p))});
        }
    }
    if (want.ledDimEdit1 != is.ledDimEdit1 || want.ledDimEdit2 != is.ledDimEdit2) {
        out.push_back({Difference::Part::Settings, QStringLiteral("LED dim levels"),
                       QStringLiteral("%1, %2").arg(want.ledDimEdit1).arg(want.ledDimEdit2),
                       QStringLiteral("%1, %2").arg(is.ledDimEdit1).arg(is.ledDimEdit2)});
    }
}

void compareRouting(const DeviceRecord& want, const DeviceRecord& is,
                    std::vector<Difference>& out) {
    for (int output = 0; output < kWireRouteSlots; ++output) {
        const auto slot = static_cast<std::size_t>(output);
        if (want.routeSource[slot] != is.routeSource[slot]) {
            out.push_back({Difference::Part::Routing,
                           QStringLiteral("%1 \"%2\"")
                               .arg(outputChannelName(output), outputLabel(is, output)),
                           sourceWords(is, want.routeSource[slot]),
                           sourceWords(is, is.routeSource[slot])});
        }
    }
    for (int bus = 0; bus < kBusCount; ++bus) {
        const auto wanted = sourcesOnBus(want, bus);
        const auto held = sourcesOnBus(is, bus);
        if (wanted != held) {
            out.push_back({Difference::Part::Routing,
                           QStringLiteral("%1 \"%2\"")
                               .arg(sourceChannelName(kFirstBus + bus),
                                    sourceLabel(is, kFirstBus + bus).value_or(QString())),
                           busWords(wanted), busWords(held)});
        }
    }
}

void compareGains(const DeviceRecord& want, const DeviceRecord& is, std::vector<Difference>& out) {
    const auto add = [&](const QString& item, const QString& a, const QString& b) {
        if (a != b) {
            out.push_back({Difference::Part::Gains, item, a, b});
        }
    };
    if (hasMicInputs(is.model)) {
        for (std::size_t i = 0; i < kInputCount; ++i) {
            const int input = static_cast<int>(i) + 1;
            add(QStringLiteral("input %1 gain").arg(input),
                QStringLiteral("%1 dB").arg(want.inputGain[i]),
                QStringLiteral("%1 dB").arg(is.inputGain[i]));
            add(QStringLiteral("input %1 P48").arg(input), onOff(want.inputSwitch[i] & 0x02),
                onOff(is.inputSwitch[i] & 0x02));
            add(QStringLiteral("input %1 PAD").arg(input), onOff(want.inputSwitch[i] & 0x01),
                onOff(is.inputSwitch[i] & 0x01));
        }
    }
    for (std::size_t c = 0; c < kChannelGainCount; ++c) {
        add(QStringLiteral("output %1 level").arg(c + 1),
            QStringLiteral("%1 dB").arg(static_cast<std::int8_t>(want.channelGain[c])),
            QStringLiteral("%1 dB").arg(static_cast<std::int8_t>(is.channelGain[c])));
    }
}

void compareLabels(const LabelTable& want, const DeviceRecord& is, std::vector<Difference>& out) {
    for (std::size_t i = 0; i < want.size(); ++i) {
        const QString a = labelText(want[i]);
        const QString b = labelText(is.labels[i]);
        if (a != b) {
            out.push_back({Difference::Part::Labels,
                           QString::fromStdString(labelIoTypeText(static_cast<int>(i))), a, b});
        }
    }
}

} // namespace

const char* partName(Difference::Part part) {
    switch (part) {
    case Difference::Part::Settings:
        return "settings";
    case Difference::Part::Routing:
        return "routing";
    case Difference::Part::Gains:
        return "gains";
    case Difference::Part::Labels:
        return "labels";
    }
    return "";
}

const char* presenceText(UnitComparison::Presence presence) {
    switch (presence) {
    case UnitComparison::Presence::Compared:
        return "compared";
    case UnitComparison::Presence::NotOnline:
        return "in the project, not online";
    case UnitComparison::Presence::NotAnswering:
        return "online, but did not answer the reads";
    case UnitComparison::Presence::NotInProject:
        return "online, not in the project";
    }
    return "";
}

// The project's values are what a load would leave on the unit: the dataset
// applied to a copy of the unit's record (short blocks change less, the USB
// embedder bit stays).
std::vector<Difference>
compareWithProject(const DeviceRecord& unit, std::span<const std::uint8_t> block,
                   const std::optional<std::array<Label, kLabelCount>>& projectLabels) {
    DeviceRecord want = unit;
    applyProjectDataset(block, false, want);
    std::vector<Difference> out;
    compareSettings(want, unit, out);
    compareRouting(want, unit, out);
    compareGains(want, unit, out);
    if (projectLabels) {
        compareLabels(*projectLabels, unit, out);
    }
    return out;
}

bool ProjectComparison::differs() const {
    return std::any_of(units.begin(), units.end(), [](const UnitComparison& u) {
        return u.presence != UnitComparison::Presence::Compared || !u.differences.empty();
    });
}

} // namespace varento
