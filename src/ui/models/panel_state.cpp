#include "ui/models/panel_state.h"

#include "protocol/catalog.h"

#include <algorithm>

namespace varento::panel {

namespace {

constexpr int kDoubleSpeed = 0x20;
constexpr int kQuadSpeed = 0x40;
constexpr int kGaugeStep = 7;

// The rounded frames that mark the MADI port in use.
constexpr QRect kBaseFramePort1{121, 133, 22, 23};
constexpr QRect kBaseFramePort2{121, 158, 22, 22};
constexpr QRect kExtendedFramePort1{303, 158, 22, 22};
constexpr QRect kExtendedFramePort2{303, 185, 22, 22};

bool hasPortFrames(PanelKind kind, int model) {
    if (kind == PanelKind::Base) {
        return hasRedundancyOptions(model);
    }
    return model == 13 || model == 14 || isAesModel(model);
}

// The decoded bits every rule reads.
struct Bits {
    explicit Bits(const DeviceRecord& r)
        : rate(r.at(param::clockRate)), source(rate & 0x03), speed(rate & 0x60),
          io(r.at(param::ioOptions)), format(r.at(param::madiFormat)),
          sync(r.at(param::syncStatus)), sync2(r.at(param::syncStatus2)),
          leds(r.at(param::statusLeds)), matrix((r.at(param::routingB) & 0x40) != 0),
          upperBank((r.at(param::routingA) & 0x40) != 0) {}

    int rate, source, speed, io, format, sync, sync2, leds;
    bool matrix, upperBank;

    bool doubleSpeed() const { return speed == kDoubleSpeed; }
    int madi1() const { return sync & 3; }
    int madi2() const { return (sync >> 2) & 3; }
    int wordClock() const { return (sync2 >> 2) & 3; }
    // The 96k-frame indicator flashes on a 96k frame that the rate cannot carry.
    bool frameFlashes() const { return !doubleSpeed() && (sync & 0x20) != 0; }
};

class Builder {
public:
    Builder(const PanelLayout& layout, bool phase, PanelState& out)
        : layout_(layout), phase_(phase), out_(out) {}

    void lit(Lamp lamp, bool on, int index = 0) { put(lamp, index, on ? Look::Lit : Look::Unlit); }
    void disabled(Lamp lamp) { put(lamp, 0, Look::Disabled); }
    void flash(Lamp lamp, int index = 0) {
        put(lamp, index, phase_ ? Look::Lit : Look::Unlit, true);
    }
    void hidden(Lamp lamp, int index = 0) { put(lamp, index, Look::NotDrawn); }

    // A two-bit input state: 0 unlit, 3 lit, 1 flashing; 2 leaves the panel as it is.
    void state(Lamp lamp, int value, int index = 0) {
        if (value == 1) {
            flash(lamp, index);
        } else if (value == 2) {
            hidden(lamp, index);
        } else {
            lit(lamp, value == 3, index);
        }
    }

    // The termination LED is live only on word clock; otherwise it and its legend
    // are shown disabled together.
    void termination(const Bits& b) {
        const Spot* spot = layout_.find(Lamp::Term);
        if (spot == nullptr) {
            return;
        }
        if (b.source != 2) {
            out_.indicators.push_back({Lamp::Term, 0, spot->rect, Look::Disabled, false});
        } else {
            out_.indicators.push_back({Lamp::Term, 0, QRect(spot->rect.topLeft(), kLedSize),
                                       (b.rate & 0x04) != 0 ? Look::Lit : Look::Unlit, false});
        }
    }

private:
    void put(Lamp lamp, int index, Look look, bool flashing = false) {
        if (const Spot* spot = layout_.find(lamp, index)) {
            out_.indicators.push_back({lamp, index, spot->rect, look, flashing});
        }
    }

    const PanelLayout& layout_;
    bool phase_;
    PanelState& out_;
};

void rateColumn(Builder& b, const Bits& bits) {
    b.lit(Lamp::RateQuad, bits.speed == kQuadSpeed);
    b.lit(Lamp::RateDouble, bits.doubleSpeed());
    b.lit(Lamp::Rate48, (bits.rate & 0x10) != 0);
    b.lit(Lamp::Rate44, (bits.rate & 0x08) != 0);
}

void madiFormat(Builder& b, const Bits& bits) {
    b.lit(Lamp::Madi56, (bits.format & 0x01) == 0);
    if (bits.frameFlashes()) {
        b.flash(Lamp::Madi96k);
    } else {
        b.lit(Lamp::Madi96k, (bits.format & 0x02) != 0);
    }
}

void levels(Builder& b, const Bits& bits, bool inDisabled, bool outDisabled) {
    if (inDisabled) {
        b.disabled(Lamp::InHigh);
        b.disabled(Lamp::InLow);
    } else {
        b.lit(Lamp::InHigh, (bits.io & 0x03) == 2);
        b.lit(Lamp::InLow, (bits.io & 0x03) == 1);
    }
    if (outDisabled) {
        b.disabled(Lamp::OutHigh);
        b.disabled(Lamp::OutLow);
    } else {
        b.lit(Lamp::OutHigh, (bits.io & 0x0C) == 8);
        b.lit(Lamp::OutLow, (bits.io & 0x0C) == 4);
    }
}

void baseIndicators(Builder& b, const Bits& bits, int model) {
    b.termination(bits);
    b.lit(Lamp::ClockWck, bits.source == 2);
    b.lit(Lamp::ClockMadi, bits.source == 3);
    b.lit(Lamp::ClockInt, bits.source == 0);
    b.state(Lamp::SyncWck, bits.wordClock());
    b.state(Lamp::SyncMadi1, bits.madi1());
    b.state(Lamp::SyncMadi2, bits.madi2());
    rateColumn(b, bits);
    madiFormat(b, bits);
    if (bits.matrix || bits.doubleSpeed()) {
        b.disabled(Lamp::BankHigh);
    } else {
        b.lit(Lamp::BankHigh, bits.upperBank);
    }
    if (bits.matrix) {
        b.disabled(Lamp::BankLow);
    } else {
        b.lit(Lamp::BankLow, !bits.upperBank);
    }
    levels(b, bits, model == 11 || model == 21 || model == 24, model == 20);
    b.lit(Lamp::Status0, (bits.leds & 1) != 0);
    b.lit(Lamp::Status1, (bits.leds & 2) != 0);
    b.lit(Lamp::MatrixMode, bits.matrix);
    b.lit(Lamp::Status2, (bits.leds & 4) != 0);
}

void extendedIndicators(Builder& b, const Bits& bits, const std::vector<int>& inputs, int model,
                        int converters) {
    const auto any = [&inputs](int value) {
        return std::find(inputs.begin(), inputs.end(), value) != inputs.end();
    };
    b.lit(Lamp::ClockInt, bits.source == 0);
    b.lit(Lamp::ClockAes, bits.source == 1);
    b.lit(Lamp::ClockWck, bits.source == 2);
    b.lit(Lamp::ClockMadi, bits.source == 3);

    const int aes = bits.sync2 & 3;
    if (aes == 1 || any(1)) {
        b.flash(Lamp::SyncAes);
    } else {
        b.lit(Lamp::SyncAes, aes == 3 || any(3));
    }
    b.state(Lamp::SyncWck, bits.wordClock());
    b.termination(bits);
    if (bits.madi1() == 1 || bits.madi2() == 1) {
        b.flash(Lamp::SyncMadi);
    } else {
        b.lit(Lamp::SyncMadi, bits.madi1() != 0 || bits.madi2() != 0);
    }

    rateColumn(b, bits);
    madiFormat(b, bits);
    b.state(Lamp::PortMadi1, bits.madi1());
    b.state(Lamp::PortMadi2, bits.madi2());
    levels(b, bits, false, false);
    b.lit(Lamp::Status0, (bits.leds & 1) != 0);
    b.lit(Lamp::Status1, (bits.leds & 2) != 0);
    b.lit(Lamp::MatrixMode, bits.matrix);
    if ((bits.leds & 4) != 0) {
        b.lit(Lamp::Status2, true);
    } else {
        b.hidden(Lamp::Status2);
    }

    // Each row: fifteen inputs from five status bytes, then one more state.
    const int rows = isAesModel(model) ? 2 : 1;
    for (int row = 0; row < rows; ++row) {
        for (int n = 0; n < 15; ++n) {
            const int value = inputs[static_cast<std::size_t>(row * 15 + n)];
            b.state(Lamp::Input, value == 2 ? 0 : value, row * 16 + n);
        }
        const int last = row == 0 ? aes : inputs[30];
        b.state(Lamp::Input, last == 2 ? 0 : last, row * 16 + 15);
    }
    // Only the converter models have the converter row (the others' panels end above it).
    for (int g = 0; g < 4; ++g) {
        b.lit(Lamp::Src, (converters & (1 << g)) != 0, g);
    }
}

} // namespace

const Indicator* PanelState::find(Lamp lamp, int index) const {
    for (const Indicator& i : indicators) {
        if (i.lamp == lamp && i.index == index) {
            return &i;
        }
    }
    return nullptr;
}

Look PanelState::look(Lamp lamp, int index) const {
    const Indicator* i = find(lamp, index);
    return i != nullptr ? i->look : Look::NotDrawn;
}

std::vector<int> inputStates(const DeviceRecord& r) {
    static constexpr int kPxBytes[] = {param::param17, param::calibrationOptions, param::param19,
                                       param::gainOptions, param::delayOptions};
    // The AES units use the calibration bytes for six more status bytes.
    static constexpr int kAesBytes[] = {param::calibration1Low, param::calibration2High,
                                        param::calibration2Low, param::ledDim1,
                                        param::ledDim2,         param::aesOptions};
    std::vector<int> states;
    auto add = [&](int parameter) {
        const int byte = r.at(parameter);
        for (int shift = 0; shift < 6; shift += 2) {
            states.push_back((byte >> shift) & 3);
        }
    };
    for (int p : kPxBytes) {
        add(p);
    }
    if (isAesModel(r.model)) {
        for (int p : kAesBytes) {
            add(p);
        }
    }
    return states;
}

PanelState panelState(PanelKind kind, const DeviceRecord& r, bool blinkPhase) {
    const PanelLayout layout = layoutFor(kind, r.model);
    PanelState out;
    out.panelSize = layout.size;
    out.firmware = firmwareText(r);
    out.temperature = temperatureText(r);
    const Bits bits(r);
    out.gaugeFill = std::min(kGaugeStep * ((bits.sync2 >> 4) & 7), kGauge.width());

    Builder b(layout, blinkPhase, out);
    if (kind == PanelKind::Base) {
        baseIndicators(b, bits, r.model);
    } else {
        extendedIndicators(b, bits, inputStates(r), r.model, r.at(param::srcEnable));
    }

    if (hasPortFrames(kind, r.model)) {
        const bool port2 = (bits.sync & 0x40) != 0;
        if (kind == PanelKind::Base) {
            out.frames.push_back(port2 ? kBaseFramePort2 : kBaseFramePort1);
        } else {
            out.frames.push_back(port2 ? kExtendedFramePort2 : kExtendedFramePort1);
        }
    }
    return out;
}

bool blinkNeeded(PanelKind kind, const DeviceRecord& r) {
    const Bits bits(r);
    if (bits.madi1() == 1 || bits.madi2() == 1 || bits.wordClock() == 1 || bits.frameFlashes()) {
        return true;
    }
    if (kind == PanelKind::Base) {
        return false;
    }
    const std::vector<int> inputs = inputStates(r);
    return (bits.sync2 & 3) == 1 || std::find(inputs.begin(), inputs.end(), 1) != inputs.end();
}

std::optional<PanelImages> imagesFor(PanelKind kind, int model) {
    if (kind == PanelKind::Base) {
        if (model == 8) {
            return PanelImages{100, 120, 123};
        }
        if (frontPanel(model) == FrontPanel::Base) {
            return PanelImages{159, 160, 158};
        }
        return std::nullopt;
    }
    switch (model) {
    case 9:
        return PanelImages{164, 170, 164};
    case 10:
        return PanelImages{168, 170, 164};
    case 13:
        return PanelImages{166, 170, 164};
    case 14:
        return PanelImages{171, 170, 164};
    case 18:
        return PanelImages{194, 197, 164};
    case 19:
        return PanelImages{196, 197, 164};
    default:
        return std::nullopt;
    }
}

PanelImages initialImages(PanelKind kind) {
    return kind == PanelKind::Base ? PanelImages{100, 120, 123} : PanelImages{164, 170, 164};
}

QString firmwareText(const DeviceRecord& r) {
    const int major = r.at(param::firmwareMajor);
    const int minor = r.at(param::firmwareMinor);
    if (major == 0 && minor == 0) {
        return QStringLiteral("N/A");
    }
    return QStringLiteral("%1.%2").arg(major).arg(minor);
}

QString temperatureText(const DeviceRecord& r) {
    const int t = r.at(param::temperature);
    return t == 0 ? QStringLiteral("N/A") : QString::number(t) + QChar(0x00B0) + QLatin1Char('C');
}

} // namespace varento::panel
