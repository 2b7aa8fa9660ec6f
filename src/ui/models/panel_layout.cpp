#include "ui/models/panel_layout.h"

#include "protocol/catalog.h"

namespace varento::panel {

namespace {

constexpr int kLedW = 22;
constexpr int kBarW = 140;
constexpr int kBarH = 23;
constexpr int kTermW = 62;
constexpr int kSrcW = 100;
constexpr int kInputStep = 26;
constexpr int kGroupGap = 12; // the extra space after every fourth input
constexpr int kBaseHeight = 280;
constexpr int kExtendedHeight = 370;
constexpr int kTallHeight = 500; // model 19: a second input row and the converters

void led(PanelLayout& l, Lamp lamp, int x, int y, const char* legend) {
    l.spots.push_back(
        {lamp, 0, QRect(x, y, kLedW, kLedW), QString::fromLatin1(legend), LegendSide::Right});
}

void wide(PanelLayout& l, Lamp lamp, int index, QRect rect, const QString& legend) {
    l.spots.push_back({lamp, index, rect, legend, LegendSide::Inside});
}

void caption(PanelLayout& l, int x, int y, const char* text) {
    l.captions.push_back({QPoint(x, y), QString::fromLatin1(text)});
}

// Both panels share the rate column, the MADI format, the input level and the
// status LEDs, and the texts of the top strip.
void addCommon(PanelLayout& l) {
    caption(l, 208, 24, "FIRMWARE");
    caption(l, 366, 24, "TEMP.");
    caption(l, 42, 64, "CLOCK");
    caption(l, 197, 64, "RATE");
    caption(l, 305, 64, "MADI");
    caption(l, 423, 64, "ANALOG IN");
    caption(l, 557, 64, "STATUS");
    led(l, Lamp::RateQuad, 197, 82, "4 FS");
    led(l, Lamp::RateDouble, 197, 108, "2 FS");
    led(l, Lamp::Rate48, 197, 134, "48k");
    led(l, Lamp::Rate44, 197, 160, "44.1k");
    led(l, Lamp::Madi56, 305, 82, "56 CH");
    led(l, Lamp::Madi96k, 305, 108, "96k FRAME");
    led(l, Lamp::InHigh, 423, 82, "HIGH");
    led(l, Lamp::InLow, 423, 108, "LOW");
    led(l, Lamp::Status0, 557, 82, "STATUS 1");
    led(l, Lamp::Status1, 557, 108, "STATUS 2");
}

PanelLayout baseLayout(int model) {
    PanelLayout l;
    l.kind = PanelKind::Base;
    l.model = model;
    l.size = QSize(kPanelWidth, kBaseHeight);
    l.brand = QStringLiteral("VARENTO");
    addCommon(l);
    // The second panel set frames the MADI port in use.
    caption(l, 122, 64, model == 8 ? "SYNC" : "SYNC/PORT");
    caption(l, 305, 140, "BANK");
    caption(l, 423, 140, "ANALOG OUT");
    l.spots.push_back(
        {Lamp::Term, 0, QRect(42, 82, kTermW, kLedW), QStringLiteral("TERM"), LegendSide::Inside});
    led(l, Lamp::ClockWck, 42, 108, "WCK");
    led(l, Lamp::ClockMadi, 42, 134, "MADI");
    led(l, Lamp::ClockInt, 42, 160, "INT");
    led(l, Lamp::SyncWck, 122, 108, "WCK");
    led(l, Lamp::SyncMadi1, 122, 134, "MADI 1");
    led(l, Lamp::SyncMadi2, 122, 160, "MADI 2");
    led(l, Lamp::BankHigh, 305, 156, "33-64");
    led(l, Lamp::BankLow, 305, 182, "1-32");
    led(l, Lamp::OutHigh, 423, 156, "HIGH");
    led(l, Lamp::OutLow, 423, 182, "LOW");
    wide(l, Lamp::MatrixMode, 0, QRect(33, 204, kBarW, kBarH), QStringLiteral("MATRIX MODE"));
    wide(l, Lamp::Status2, 0, QRect(33, 234, kBarW, kBarH), QStringLiteral("STATUS 3"));
    return l;
}

void inputRow(PanelLayout& l, int row, int y, const char* heading) {
    caption(l, 42, y - 34, heading);
    for (int n = 0; n < 16; ++n) {
        const int input = row * 16 + n;
        l.spots.push_back({Lamp::Input, input, QRect(inputColumn(n), y, kLedW, kLedW),
                           QString::number(input + 1), LegendSide::Above});
    }
}

PanelLayout extendedLayout(int model) {
    PanelLayout l;
    l.kind = PanelKind::Extended;
    l.model = model;
    l.size = QSize(kPanelWidth, model == 19 ? kTallHeight : kExtendedHeight);
    l.brand = QString::fromLatin1(typeName(model));
    addCommon(l);
    caption(l, 122, 64, "SYNC");
    caption(l, 423, 141, "ANALOG OUT");
    led(l, Lamp::ClockInt, 42, 82, "INT");
    led(l, Lamp::ClockAes, 42, 108, "AES");
    led(l, Lamp::ClockWck, 42, 134, "WCK");
    led(l, Lamp::ClockMadi, 42, 186, "MADI");
    led(l, Lamp::SyncAes, 122, 108, "AES");
    led(l, Lamp::SyncWck, 122, 134, "WCK");
    l.spots.push_back({Lamp::Term, 0, QRect(122, 160, kTermW, kLedW), QStringLiteral("TERM"),
                       LegendSide::Inside});
    led(l, Lamp::SyncMadi, 122, 186, "MADI");
    // The units with two MADI ports show which one carries the signal.
    if (model == 13 || model == 14 || isAesModel(model)) {
        caption(l, 305, 138, "REDUNDANCY");
        led(l, Lamp::PortMadi1, 305, 156, "MADI 1");
        led(l, Lamp::PortMadi2, 305, 182, "MADI 2");
    }
    led(l, Lamp::OutHigh, 423, 159, "HIGH");
    led(l, Lamp::OutLow, 423, 185, "LOW");
    wide(l, Lamp::MatrixMode, 0, QRect(521, 234, kBarW, kBarH), QStringLiteral("MATRIX MODE"));
    wide(l, Lamp::Status2, 0, QRect(521, 263, kBarW, kBarH), QStringLiteral("STATUS 3"));

    const bool aes = isAesModel(model);
    inputRow(l, 0, 248, aes ? "AES INPUTS 1-16" : "AES INPUTS");
    if (aes) {
        inputRow(l, 1, 325, "AES INPUTS 17-32");
    }
    if (hasSampleRateConverter(model)) {
        const int y = aes ? 405 : 325;
        caption(l, 42, y - 18, "SAMPLE RATE CONVERTER");
        const char* const groups[] = {"SRC 1-8", "SRC 9-16", "SRC 17-24", "SRC 25-32"};
        for (int g = 0; g < 4; ++g) {
            wide(l, Lamp::Src, g, QRect(42 + g * 117, y, kSrcW, kLedW),
                 QString::fromLatin1(groups[g]));
        }
    }
    return l;
}

} // namespace

const Spot* PanelLayout::find(Lamp lamp, int index) const {
    for (const Spot& s : spots) {
        if (s.lamp == lamp && s.index == index) {
            return &s;
        }
    }
    return nullptr;
}

int inputColumn(int n) {
    return 42 + n * kInputStep + (n / 4) * kGroupGap;
}

PanelLayout layoutFor(PanelKind kind, int model) {
    if (kind == PanelKind::Base) {
        return baseLayout(frontPanel(model) == FrontPanel::Base ? model : 8);
    }
    return extendedLayout(frontPanel(model) == FrontPanel::Extended ? model : 9);
}

} // namespace varento::panel
