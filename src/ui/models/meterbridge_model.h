#pragma once

#include "ui/models/fader_group.h"
#include "ui/models/meterbridge_layout.h"

#include "protocol/device_uid.h"

#include <QObject>

#include <optional>
#include <vector>

namespace varento {

class Session;

// The meterbridge's rules without widgets: the layout of the current unit, the
// 64 output faders' positions and activity from its levels and "Enable Gains",
// the two switches, the labels, and the user's fader edits turned into unit edits
// (one level per commit, all 64 in one message after a group move).
//
// The window creates the 64 faders and the 128 meters and hands the faders to
// attach(); a test hands plain FaderModels. The model follows the session's
// signals by itself: levels announce new meter values, parameter and gain replies
// refresh the faders and switches, label changes re-apply the labels.
class MeterbridgeModel : public QObject {
    Q_OBJECT

public:
    explicit MeterbridgeModel(Session& session, FaderGroup::Clock clock = {},
                              QObject* parent = nullptr);

    // The 64 "Fader Long" models, fader j with id 5000 + j.
    void attach(const std::vector<FaderModel*>& faders);
    FaderGroup& group() { return group_; }

    // The layout the current unit asks for; nothing for a unit without a meterbridge.
    std::optional<MeterbridgeLayout> unitLayout() const;
    // The layout in force: the last one a unit asked for (other units leave it).
    const std::optional<MeterbridgeLayout>& layout() const { return layout_; }

    // meterbridgeLayout: takes the current unit's layout, if it has one.
    void relayout();
    // meterbridgeRefresh: fader positions from the output levels (except those the
    // user is moving), every fader active while gains are enabled, the switches.
    void refresh();
    // meterbridgeApplyLabels: fader j shows output label 192 + j.
    void applyLabels();

    // Meter entry `meter` of the current unit, dB.
    float meterLevel(int meter) const;
    QString label(int index) const;

    bool gainsEnabled() const;
    bool outputsMuted() const;
    void setGainsEnabled(bool on);
    void setOutputsMuted(bool on);

signals:
    void layoutChanged();
    void levelsChanged();
    void switchesChanged();
    void labelsChanged();

private:
    FaderModel& fader(int index) const { return *faders_[static_cast<size_t>(index)]; }
    void commitOne(int index);
    void commitAll();

    Session& session_;
    FaderGroup group_;
    std::vector<FaderModel*> faders_;
    // Faders the user moved since their value was last sent, and the unit they
    // were moved on.
    std::vector<bool> moved_;
    DeviceUid movedOn_;
    std::optional<MeterbridgeLayout> layout_;
};

} // namespace varento
