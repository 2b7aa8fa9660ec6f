#pragma once

#include "protocol/device_record.h"
#include "ui/models/panel_layout.h"

#include <optional>

namespace varento::panel {

// How an indicator is drawn: a rectangle copied from the lit, unlit or disabled
// panel image, or nothing (the unlit panel underneath shows).
enum class Look { Unlit, Lit, Disabled, NotDrawn };

struct Indicator {
    Lamp lamp;
    int index = 0;
    QRect rect;
    Look look = Look::NotDrawn;
    bool flashing = false; // follows the blink phase: lit on 1, unlit on 0
};

// The three panel images of a model, by bitmap number.
struct PanelImages {
    int unlit;
    int lit;
    int disabled;
    friend bool operator==(const PanelImages&, const PanelImages&) = default;
};

// Everything a remote window draws over its unlit panel, from one record.
struct PanelState {
    QSize panelSize;
    std::vector<Indicator> indicators; // in drawing order
    std::vector<QRect> frames;         // rounded frames around the MADI port in use
    QString firmware;
    QString temperature;
    int gaugeFill = 0; // width of the gauge's fill in pixels

    const Indicator* find(Lamp lamp, int index = 0) const;
    // NotDrawn for an indicator this panel does not have.
    Look look(Lamp lamp, int index = 0) const;
};

PanelState panelState(PanelKind kind, const DeviceRecord& record, bool blinkPhase);
// Whether any indicator of the panel flashes for this record.
bool blinkNeeded(PanelKind kind, const DeviceRecord& record);

// The images set model chooses; nothing for a model the window does not show
// (its images stay as they were).
std::optional<PanelImages> imagesFor(PanelKind kind, int model);
PanelImages initialImages(PanelKind kind);

QString firmwareText(const DeviceRecord& record);
QString temperatureText(const DeviceRecord& record);

// The input states of the extended panel's status rows: three per status byte.
std::vector<int> inputStates(const DeviceRecord& record);

} // namespace varento::panel
