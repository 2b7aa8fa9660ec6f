#include "ui/views/gain_window.h"

#include "app/session.h"
#include "ui/controls/fader.h"
#include "ui/controls/level_meter.h"
#include "ui/controls/my_button.h"
#include "ui/controls/scale_figures.h"
#include "ui/controls/scroller.h"
#include "ui/skin/skin.h"

#include <QComboBox>
#include <QFontInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace varento {

namespace layout = gain_layout;

namespace {

const QColor kBackground{70, 70, 70};
const QColor kPanel{90, 90, 90};
const QColor kPanelLine{120, 120, 120};
const QColor kNumber{163, 163, 163};
const QColor kLabel{237, 237, 237};
const QColor kCaption{200, 200, 200};
const QColor kValue{250, 250, 250};
const QColor kP48Text{96, 124, 119};
const QColor kPadText{65, 102, 142};
const QColor kDeviceText{250, 250, 250};
const QColor kProjectText{250, 240, 240};

constexpr std::array<int, 5> kP48Bitmaps{174, 175, 176, 176, 0};
constexpr std::array<int, 5> kPadBitmaps{174, 175, 186, 186, 0};
constexpr std::array<int, 5> kDeviceBitmaps{183, 184, 185, 185, 0};
constexpr std::array<int, 5> kProjectBitmaps{211, 213, 212, 213, 0};
constexpr std::array<int, 5> kSaveBitmaps{211, 213, 214, 213, 0};

// The layout is measured for narrow fonts; where those are missing a condensed
// face, squeezed a little more, keeps every caption clear of the next control.
QFont makeFont(const QString& family, int pixelSize, int weight, int squeeze) {
    QFont f;
    f.setFamilies({family, QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    f.setPixelSize(pixelSize);
    f.setWeight(static_cast<QFont::Weight>(qBound(1, weight, 1000)));
    if (QFontInfo(f).family() != family) {
        f.setStretch(squeeze);
    }
    return f;
}

QFont labelFont() {
    return makeFont(QStringLiteral("Tahoma"), 13, 700, 80);
}

void drawText(QPainter& p, int x, int y, const QString& text) {
    p.drawText(QRect(x, y, 1000, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

} // namespace

GainWindow::GainWindow(Session& session, QWidget* parent)
    : QWidget(parent), session_(session), model_(session) {
    setObjectName(QStringLiteral("Gain Window"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    resize(layout::kWidth, layout::kHeight);

    std::vector<FaderModel*> faderModels;
    for (int c = 0; c < layout::kChannels; ++c) {
        const int x = layout::stripX(c);
        auto* meter = new LevelMeter(clock_, this);
        meter->setObjectName(QString::number(96 + c));
        meter->move(x, layout::kMeterY);
        connect(meter, &LevelMeter::doubleClicked, this, &GainWindow::resetPeaks);
        meters_.push_back(meter);
        placed_.emplace_back(meter, QPoint(x, layout::kMeterY));

        Fader* fader = Fader::create(this, Fader::Kind::Gain, c, x, QString());
        faders_.push_back(fader);
        faderModels.push_back(&fader->model());
        placed_.emplace_back(fader, QPoint(x, layout::kFaderY));

        p48_.push_back(addButton(kP48First + c, {x, layout::kP48Y}, kP48Bitmaps, true, kP48Text,
                                 QStringLiteral("P48"), 0));
        pad_.push_back(addButton(kPadFirst + c, {x, layout::kPadY}, kPadBitmaps, true, kPadText,
                                 QStringLiteral("PAD"), 0));
    }
    addButton(Gpo1, {50, 588}, kPadBitmaps, true, kPadText, QStringLiteral("1"), 0);
    addButton(Gpo2, {80, 588}, kPadBitmaps, true, kPadText, QStringLiteral("2"), 0);
    addButton(InvertGpo, {240, 588}, kPadBitmaps, true, kPadText, QString(), 0);
    addButton(PeakHold, {415, 588}, kPadBitmaps, true, kPadText, QString(), 0);
    addButton(GainValue, {590, 588}, kPadBitmaps, true, kPadText, QString(), 0);
    for (int n = 0; n < layout::kPages; ++n) {
        addButton(SwitchDevice1 + n, {848, 80 + 80 * n}, kDeviceBitmaps, true, kDeviceText,
                  model_.switchDeviceText(n), 1);
    }
    addButton(Load, {848, 447}, kProjectBitmaps, false, kProjectText, QStringLiteral("Load"), 1);
    addButton(Save, {848, 497}, kSaveBitmaps, false, kProjectText, QStringLiteral("Save"), 1);
    addButton(SaveAs, {848, 537}, kProjectBitmaps, false, kProjectText,
              QStringLiteral("Save As..."), 1);

    referenceLevel_ = new QComboBox(this);
    referenceLevel_->setObjectName(QString::number(ReferenceLevel));
    referenceLevel_->setFont(labelFont());
    for (int level = 1; level <= 30; ++level) {
        referenceLevel_->addItem(QString::number(level));
    }
    referenceLevel_->setMaxVisibleItems(15);
    referenceLevel_->setFixedSize(45, 22);
    connect(referenceLevel_, &QComboBox::activated, this,
            [this](int index) { model_.setReferenceLevel(index + 1); });
    placed_.emplace_back(referenceLevel_, QPoint(734, 588));

    scroller_ = new Scroller(Qt::Horizontal, layout::kScrollStep, this);
    scroller_->setContentLength(layout::kScrollMax + 1);
    connect(scroller_, &Scroller::scrolled, this, [this] {
        placeControls();
        update();
    });

    model_.attach(faderModels);
    connect(&model_, &GainModel::changed, this, &GainWindow::syncControls);
    connect(&model_.group(), &FaderGroup::focusRequested, this, [this](int c) {
        fader(c)->setFocus();
        scroller_->stepBy(layout::focusScroll(c, scroll(), width()));
    });
    connect(&session_, &Session::levelsChanged, this, &GainWindow::updateMeters);
    for (LevelMeter* meter : meters_) {
        meter->setShowPeak(model_.peakHold());
    }
    syncControls();
    placeControls();
}

GainWindow::~GainWindow() {
    // The meters run on this window's clock: they go first.
    for (LevelMeter* meter : meters_) {
        delete meter;
    }
}

MyButton* GainWindow::addButton(int id, QPoint at, const std::array<int, 5>& bitmaps, bool toggle,
                                const QColor& textColour, const QString& text, int fontSize) {
    MyButton::Block block;
    block.bitmaps = bitmaps;
    block.toggle = toggle;
    block.textColour = textColour;
    block.drawText = !text.isEmpty();
    block.text = text;
    block.fontSize = fontSize;
    MyButton* button = MyButton::create(this, id, at.x(), at.y(), block);
    connect(button, &MyButton::clicked, this, &GainWindow::buttonClicked);
    buttons_.push_back(button);
    placed_.emplace_back(button, at);
    return button;
}

MyButton* GainWindow::button(int id) const {
    for (MyButton* b : buttons_) {
        if (b->id() == id) {
            return b;
        }
    }
    return nullptr;
}

void GainWindow::buttonClicked(int id, int state) {
    const bool on = state == MyButton::On;
    if (id >= kP48First && id < kP48First + layout::kChannels) {
        model_.setP48(id - kP48First, on);
    } else if (id >= kPadFirst && id < kPadFirst + layout::kChannels) {
        model_.setPad(id - kPadFirst, on);
    } else if (id >= SwitchDevice1 && id < SwitchDevice1 + layout::kPages) {
        model_.clickSwitchDevice(id - SwitchDevice1);
    }
    switch (id) {
    case Gpo1:
        model_.setGpo(GainModel::Gpo::One, on);
        break;
    case Gpo2:
        model_.setGpo(GainModel::Gpo::Two, on);
        break;
    case InvertGpo:
        model_.setGpo(GainModel::Gpo::Invert, on);
        break;
    case PeakHold:
        model_.setPeakHold(on);
        for (LevelMeter* meter : meters_) {
            meter->setShowPeak(on);
        }
        break;
    case GainValue:
        model_.setGainValueShown(on);
        break;
    case Save:
        model_.save();
        break;
    case SaveAs:
        model_.saveAs();
        break;
    case Load:
        model_.load();
        break;
    default:
        break;
    }
}

// Every button shows the model's state; the model changes only through the user
// or the unit.
void GainWindow::syncControls() {
    const auto set = [](MyButton* b, bool on) {
        // Keep the hover look of the button under the mouse.
        const int hover = b->state() & MyButton::OffHover;
        b->setState((on ? MyButton::On : MyButton::Off) | hover);
    };
    for (int c = 0; c < layout::kChannels; ++c) {
        set(p48_[static_cast<size_t>(c)], model_.p48(c));
        set(pad_[static_cast<size_t>(c)], model_.pad(c));
    }
    set(button(Gpo1), model_.gpo(GainModel::Gpo::One));
    set(button(Gpo2), model_.gpo(GainModel::Gpo::Two));
    set(button(InvertGpo), model_.gpo(GainModel::Gpo::Invert));
    set(button(PeakHold), model_.peakHold());
    set(button(GainValue), model_.gainValueShown());
    for (int n = 0; n < layout::kPages; ++n) {
        MyButton* key = button(SwitchDevice1 + n);
        key->setText(model_.switchDeviceText(n));
        set(key, model_.switchDeviceOn(n));
    }
    set(button(Save), model_.saveLit());
    referenceLevel_->setCurrentIndex(model_.referenceLevel() - 1);
    update();
}

// ---- meters -----------------------------------------------------------------------------

void GainWindow::updateMeters() {
    const DeviceRecord& unit = session_.current();
    for (int c = 0; c < layout::kChannels; ++c) {
        meters_[static_cast<size_t>(c)]->feed(unit.levelDb[static_cast<size_t>(96 + c)]);
    }
}

void GainWindow::resetPeaks() {
    for (LevelMeter* meter : meters_) {
        meter->resetPeak();
    }
}

// ---- scrolling --------------------------------------------------------------------------

int GainWindow::scroll() const {
    return scroller_->offset();
}

void GainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    scroller_->fit();
}

void GainWindow::placeControls() {
    for (const auto& [widget, at] : placed_) {
        widget->move(at.x() - scroll(), at.y());
    }
}

void GainWindow::wheelEvent(QWheelEvent* event) {
    scroller_->wheel(event);
}

void GainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        setFocus();
    }
}

void GainWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        resetPeaks();
    }
}

// ---- drawing ----------------------------------------------------------------------------

void GainWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kBackground);
    drawChannelNumbers(p);
    drawScales(p);
    drawPanels(p);
}

// The dB figures in the gaps between the blocks of eight strips (the last block has
// the Switch Device column beside it): the meters' level and the pre-amplifier gain
// the faders' marks stand for.
void GainWindow::drawScales(QPainter& p) const {
    constexpr int kGap = 10;
    for (int block = 0; block + 1 < layout::kChannels / 8; ++block) {
        const int centre = layout::stripX(8 * block + 7) + 25 + kGap / 2 - scroll();
        drawScaleFigures(p, skin::meterScaleFigures(), centre, layout::kMeterY, kGap);
        drawScaleFigures(p, skin::gainTrackFigures(), centre, layout::kFaderY + Fader::kTrackY,
                         kGap);
    }
}

void GainWindow::drawChannelNumbers(QPainter& p) const {
    const QFont large = makeFont(QStringLiteral("Arial"), 20, 1000, 70);
    const QFont small = makeFont(QStringLiteral("Tahoma"), 13, 690, 80);
    p.setPen(kNumber);
    for (int c = 0; c < layout::kChannels; ++c) {
        const layout::ChannelNumber number = layout::channelNumber(c, model_.numberingPage());
        p.setFont(number.small ? small : large);
        drawText(p, number.at.x() - scroll(), number.at.y(), QString::number(number.number));
    }
}

void GainWindow::drawPanels(QPainter& p) const {
    p.setFont(labelFont());
    const auto panel = [&](int left, int top, int right, int bottom) {
        p.setPen(kPanelLine);
        p.setBrush(kPanel);
        p.drawRect(QRect(QPoint(left - scroll(), top), QPoint(right - scroll(), bottom)));
    };
    const auto text = [&](int x, int y, const QColor& colour, const QString& s) {
        p.setPen(colour);
        drawText(p, x - scroll(), y, s);
    };
    panel(5, 585, 280, 615);
    text(9, 593, kLabel, QStringLiteral("GPOs:"));
    text(120, 593, kLabel, QStringLiteral("Invert GPO Polarity:"));
    panel(300, 585, 450, 615);
    text(304, 593, kLabel, QStringLiteral("Display Peak Hold: "));
    panel(470, 585, 812, 615);
    text(474, 593, kLabel, QStringLiteral("Display Gain Value: "));
    text(629, 593, kLabel, QStringLiteral("Reference Level:"));
    text(785, 593, kLabel, QStringLiteral("dBu"));
    panel(838, 50, 958, 397);
    text(848, 55, kCaption, QStringLiteral("Switch Device:"));
    panel(5, 5, 834, 45);
    text(20, 10, kCaption, QStringLiteral("Project Directory: "));
    text(20, 27, kCaption, QStringLiteral("Gain Snapshot: "));
    text(150, 10, kValue, model_.projectText());
    text(150, 27, kValue, model_.snapshotText());
    panel(838, 412, 958, 577);
    text(848, 422, kCaption, QStringLiteral("Gain Snapshot: "));
}

} // namespace varento
