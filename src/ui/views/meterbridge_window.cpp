#include "ui/views/meterbridge_window.h"

#include "app/app_settings.h"
#include "app/session.h"
#include "ui/controls/fader.h"
#include "ui/controls/level_meter.h"
#include "ui/controls/my_button.h"
#include "ui/controls/scale_figures.h"
#include "ui/controls/scroller.h"
#include "ui/controls/strip_label.h"
#include "ui/skin/skin.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>

#include <functional>

namespace varento {

namespace mb = meterbridge;

namespace {

const QColor kNumberText{163, 163, 163};
constexpr int kStripWidth = 25;

struct Panel {
    QRect box;
    QPoint text;
    int switchX; // the caption ends before its switch
    const char* caption;
};
const Panel kPanels[] = {
    {QRect(QPoint(5, 570), QPoint(140, 605)), QPoint(10, 580), mb::kGainsSwitchX, "Enable Gains"},
    {QRect(QPoint(155, 570), QPoint(300, 605)), QPoint(160, 580), mb::kMuteSwitchX,
     "Mute All Ouputs"},
};

// A caption squeezed along its length where the face standing in for Tahoma is
// wider, so it never runs under the switch.
void drawCaption(QPainter& p, QPoint at, int room, const QString& text) {
    const int width = p.fontMetrics().horizontalAdvance(text);
    p.save();
    p.translate(at);
    if (width > room) {
        p.scale(static_cast<qreal>(room) / width, 1.0);
    }
    p.drawText(QRect(0, 0, qMax(width, room), 20),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    p.restore();
}

// The wide surface behind the controls: strip numbers, label boxes, group titles
// and the switch panels. It scrolls as a whole with its children.
class Surface : public QWidget {
public:
    Surface(const MeterbridgeModel& model, std::function<void()> doubleClicked,
            std::function<void(QWheelEvent*)> wheel, QWidget* parent)
        : QWidget(parent), model_(model), doubleClicked_(std::move(doubleClicked)),
          wheel_(std::move(wheel)) {
        setObjectName(QStringLiteral("meterbridgeSurface"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        const QRect dirty = event->rect();
        p.fillRect(dirty, skin::kPanel);
        // A unit without meterbridge groups gets no strips and no titles.
        if (const auto layout = model_.unitLayout()) {
            for (std::size_t slot = 0; slot < layout->groups.size(); ++slot) {
                drawGroup(p, dirty, static_cast<int>(slot), layout->groups[slot]);
            }
        }
        p.setFont(captionFont());
        for (const Panel& panel : kPanels) {
            if (!panel.box.intersects(dirty)) {
                continue;
            }
            p.setPen(skin::kPanelLine);
            p.setBrush(skin::kPanelRaised);
            p.drawRect(panel.box.adjusted(0, 0, -1, -1));
            p.setPen(skin::kPanelText);
            drawCaption(p, panel.text, panel.switchX - panel.text.x() - 4,
                        QString::fromLatin1(panel.caption));
        }
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            window()->setFocus();
        }
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            doubleClicked_();
        }
    }

    void wheelEvent(QWheelEvent* event) override { wheel_(event); }

private:
    void drawGroup(QPainter& p, const QRect& dirty, int slot, int group) const {
        const int left = mb::stripX(slot, 0);
        const int right = mb::stripX(slot, mb::kGroupStrips - 1) + kStripWidth;
        if (right < dirty.left() || left > dirty.right()) {
            return;
        }
        const QFont number = stripLabelFont(true);
        for (int d = 0; d < mb::kGroupStrips; ++d) {
            const int x = mb::stripX(slot, d);
            if (x + kStripWidth < dirty.left() || x > dirty.right()) {
                continue;
            }
            drawStripLabel(p, QRect(x, mb::kLabelBoxY, kStripWidth, 20), skin::kPanel,
                           skin::kPanelLine, model_.label(mb::labelIndex(group, d)));
            p.setFont(number);
            p.setPen(kNumberText);
            p.drawText(QRect(x + 13 - 20, mb::kNumberY, 40, 14),
                       Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                       QString::number(d + 1));
        }
        drawScales(p, slot, group);
        p.setFont(stripFont(QStringLiteral("Arial"), 16, QFont::Black));
        p.setPen(skin::kPanelText);
        const int centre = 420 + mb::kGroupPitch * slot;
        p.drawText(QRect(centre - 200, mb::kTitleY, 400, 18),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, mb::groupTitle(group));
    }

    // The dB figures in the gap right of each block of eight strips; the faders
    // stand under the output groups only.
    static void drawScales(QPainter& p, int slot, int group) {
        constexpr int kGap = 10;
        for (int block = 0; block < mb::kGroupStrips / 8; ++block) {
            const int centre = mb::stripX(slot, 8 * block + 7) + kStripWidth + kGap / 2;
            drawScaleFigures(p, skin::meterScaleFigures(), centre, mb::kMeterY, kGap);
            if (group < 2) {
                drawScaleFigures(p, skin::levelTrackFigures(), centre, mb::kFaderY + Fader::kTrackY,
                                 kGap);
            }
        }
    }

    const MeterbridgeModel& model_;
    std::function<void()> doubleClicked_;
    std::function<void(QWheelEvent*)> wheel_;
};

bool isOn(const MyButton* button) {
    return button->state() == MyButton::On || button->state() == MyButton::OnHover;
}

} // namespace

MeterbridgeWindow::MeterbridgeWindow(Session& session, AppSettings* settings, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), settings_(settings), model_(session) {
    setObjectName(QStringLiteral("Meterbridge Window"));
    // On a second screen beside other units' windows the title says whose it is.
    const auto showTitle = [this] {
        setWindowTitle(QStringLiteral("Meterbridge - ") +
                       session_.unitName(session_.currentUnit()));
    };
    showTitle();
    connect(&session_, &Session::currentUnitChanged, this, showTitle);
    connect(&session_, &Session::unitListChanged, this, showTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    setFixedHeight(mb::kHeight);
    setMinimumWidth(mb::kMinWidth);
    setMaximumWidth(mb::kSurfaceWidth);

    scroller_ = new Scroller(Qt::Horizontal, mb::kScrollStep, this);
    scroller_->setContentLength(mb::kSurfaceWidth);
    surface_ = new Surface(
        model_, [this] { resetPeaks(); }, [this](QWheelEvent* event) { wheelEvent(event); }, this);
    surface_->resize(mb::kSurfaceWidth, mb::kHeight - Scroller::kThickness);
    surface_->lower();
    connect(scroller_, &Scroller::scrolled, surface_,
            [this](int offset) { surface_->move(-offset, 0); });

    buildControls();
    connect(&model_, &MeterbridgeModel::layoutChanged, this, &MeterbridgeWindow::applyLayout);
    connect(&model_, &MeterbridgeModel::levelsChanged, this, [this] {
        if (isVisible()) {
            feedMeters();
        }
    });
    connect(&model_, &MeterbridgeModel::switchesChanged, this, &MeterbridgeWindow::syncSwitches);
    connect(&model_, &MeterbridgeModel::labelsChanged, surface_, qOverload<>(&QWidget::update));
    connect(&model_.group(), &FaderGroup::focusRequested, this, &MeterbridgeWindow::focusFader);

    resize(mb::kWidth, mb::kHeight);
    move(0, 50);
    model_.relayout();
    model_.applyLabels();
    model_.refresh();
    restorePlace();
}

MeterbridgeWindow::~MeterbridgeWindow() {
    savePlace();
    // The meters and faders go before the clock and the model they use.
    delete surface_;
}

void MeterbridgeWindow::buildControls() {
    for (int k = 0; k < mb::kMeterCount; ++k) {
        auto* meter = new LevelMeter(clock_, surface_);
        meter->setObjectName(QString::number(mb::kFirstMeterId + k));
        meter->move(mb::stripX(k / mb::kGroupStrips, k % mb::kGroupStrips), mb::kMeterY);
        connect(meter, &LevelMeter::doubleClicked, this, &MeterbridgeWindow::resetPeaks);
        meters_.push_back(meter);
    }
    std::vector<FaderModel*> models;
    for (int j = 0; j < mb::kFaderCount; ++j) {
        Fader* fader = Fader::create(surface_, FaderModel::Kind::Level, mb::kFirstFaderId + j,
                                     mb::stripX(j / mb::kGroupStrips, j % mb::kGroupStrips), {});
        // Inactive until the unit enables gains.
        fader->model().setActive(false);
        faders_.push_back(fader);
        models.push_back(&fader->model());
    }
    model_.attach(models);

    MyButton::Block block;
    block.bitmaps = {174, 175, 186, 186, 0};
    block.toggle = true;
    gains_ = MyButton::create(surface_, kGainsSwitchId, mb::kGainsSwitchX, mb::kSwitchY, block);
    mute_ = MyButton::create(surface_, kMuteSwitchId, mb::kMuteSwitchX, mb::kSwitchY, block);
    connect(gains_, &MyButton::clicked, this,
            [this](int, int state) { model_.setGainsEnabled(state == MyButton::On); });
    connect(mute_, &MyButton::clicked, this,
            [this](int, int state) { model_.setOutputsMuted(state == MyButton::On); });
}

// meterbridgeLayout, as the model decided it: strips placed and shown, limits set.
void MeterbridgeWindow::applyLayout() {
    const auto& layout = model_.layout();
    if (!layout) {
        return;
    }
    for (int k = 0; k < mb::kMeterCount; ++k) {
        const auto x = layout->meterX(k);
        meters_[static_cast<size_t>(k)]->setVisible(x.has_value());
        if (x) {
            meters_[static_cast<size_t>(k)]->move(*x, mb::kMeterY);
        }
    }
    for (int j = 0; j < mb::kFaderCount; ++j) {
        const auto x = layout->faderX(j);
        faders_[static_cast<size_t>(j)]->setVisible(x.has_value());
        if (x) {
            faders_[static_cast<size_t>(j)]->move(*x, mb::kFaderY);
        }
    }
    setMaximumWidth(layout->maxWidth);
    // The range counts its last pixel: the last offset shows it.
    scroller_->setContentLength(layout->scrollRange + 1);
    surface_->update();
}

void MeterbridgeWindow::feedMeters() {
    for (int k = 0; k < mb::kMeterCount; ++k) {
        meters_[static_cast<size_t>(k)]->feed(model_.meterLevel(k));
    }
}

void MeterbridgeWindow::resetPeaks() {
    for (LevelMeter* meter : meters_) {
        meter->resetPeak();
    }
}

void MeterbridgeWindow::syncSwitches() {
    for (const auto& [button, on] :
         {std::pair{gains_, model_.gainsEnabled()}, std::pair{mute_, model_.outputsMuted()}}) {
        if (isOn(button) != on) {
            button->setState(on ? MyButton::On : MyButton::Off);
        }
    }
}

// ---- scrolling -----------------------------------------------------------------------------

QScrollBar* MeterbridgeWindow::scrollBar() const {
    return scroller_->bar();
}

int MeterbridgeWindow::scrollOffset() const {
    return scroller_->offset();
}

void MeterbridgeWindow::wheelEvent(QWheelEvent* event) {
    scroller_->wheel(event);
}

// A fader taking the focus from the keys comes into view.
void MeterbridgeWindow::focusFader(int index) {
    Fader* fader = faders_.at(static_cast<size_t>(index));
    fader->setFocus();
    const int left = fader->x();
    if (left < scrollOffset()) {
        scroller_->scrollTo(left - 5);
    } else if (left + kStripWidth > scrollOffset() + width()) {
        scroller_->scrollTo(left + kStripWidth + 5 - width());
    }
}

void MeterbridgeWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    scroller_->fit();
}

// ---- showing and closing -------------------------------------------------------------------

void MeterbridgeWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) {
        return;
    }
    // Shown by the user: labels from the store, the unit's layout, levels and gains.
    session_.loadCurrentLabels();
    model_.relayout();
    model_.applyLabels();
    feedMeters();
    model_.refresh();
    if (!shownOnce_) {
        shownOnce_ = true;
        for (Fader* fader : faders_) {
            if (!fader->isHidden()) {
                fader->setFocus();
                break;
            }
        }
    }
}

void MeterbridgeWindow::closeEvent(QCloseEvent* event) {
    savePlace();
    QWidget::closeEvent(event);
}

void MeterbridgeWindow::restorePlace() {
    if (settings_ == nullptr) {
        return;
    }
    const auto place = settings_->meterbridgePlace();
    // A place on a screen that is gone (the second monitor unplugged) is forgotten.
    if (!place || QGuiApplication::screenAt(place->topLeft() + QPoint(40, 10)) == nullptr) {
        return;
    }
    move(place->topLeft());
    resize(place->width(), mb::kHeight);
}

// Only a window the user has seen has a place worth keeping.
void MeterbridgeWindow::savePlace() {
    if (settings_ != nullptr && shownOnce_) {
        settings_->setMeterbridgePlace(QRect(pos(), QSize(width(), mb::kHeight)));
    }
}

} // namespace varento
