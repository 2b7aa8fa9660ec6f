#include "ui/controls/fader.h"

#include "ui/controls/strip_label.h"
#include "ui/dialogs/edit_label_dialog.h"
#include "ui/skin/skin.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWheelEvent>

namespace varento {

namespace {

const QColor kPopup{103, 120, 139};
const QColor kBox{50, 50, 50};
const QColor kBoxLine{199, 199, 199};
const QColor kPopupText{247, 247, 247};
const QColor kSelection{219, 96, 96};

constexpr int kKnobBitmap = 177;
constexpr int kKnobX = 3;

// Text centred on x with its top at y, as the boxes are laid out.
void drawCentred(QPainter& p, int x, int y, int height, const QString& text) {
    p.drawText(QRect(x - 40, y, 80, height), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
               text);
}

void drawBox(QPainter& p, const QRect& box) {
    p.setPen(kBoxLine);
    p.setBrush(kBox);
    p.drawRect(box.adjusted(0, 0, -1, -1));
}

} // namespace

Fader* Fader::create(QWidget* parent, Kind kind, int id, int x, const QString& label) {
    auto* fader = new Fader(kind, id, parent);
    fader->model().setLabel(label);
    fader->move(x, kind == Kind::Gain ? 290 : 280);
    fader->show();
    return fader;
}

Fader::Fader(Kind kind, int id, QWidget* parent) : QWidget(parent), model_(kind, id) {
    setObjectName(kind == Kind::Gain ? QStringLiteral("Fader") : QStringLiteral("Fader Long"));
    setFixedSize(sizeHint());
    setFocusPolicy(Qt::StrongFocus);
    // Hover needs the pointer's moves without a button held.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    clock_.start();
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
    connect(&wake_, &QTimer::timeout, this, [this] {
        syncClock();
        reschedule();
    });
    connect(&model_, &FaderModel::scheduleChanged, this, &Fader::reschedule);
    connect(&model_, &FaderModel::changed, this, qOverload<>(&QWidget::update));
}

QSize Fader::sizeHint() const {
    return {25, model_.height()};
}

int Fader::trackBitmap() const {
    if (model_.kind() == Kind::Gain) {
        return model_.active() ? 178 : 179;
    }
    return model_.active() ? 202 : 208;
}

void Fader::syncClock() {
    model_.advanceTo(clock_.elapsed());
}

void Fader::reschedule() {
    const std::optional<qint64> next = model_.nextDeadline();
    if (!next) {
        wake_.stop();
        return;
    }
    wake_.start(static_cast<int>(qBound(qint64{0}, *next - clock_.elapsed(), qint64{60000})));
}

void Fader::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const qreal ratio = devicePixelRatioF();
    const int w = width();
    const int h = model_.height();
    const int pos = model_.position();
    p.fillRect(rect(), kBox);

    p.drawPixmap(0, kTrackY, skin::bitmap(trackBitmap(), ratio));
    if (model_.active()) {
        p.drawPixmap(kKnobX, pos, skin::bitmap(kKnobBitmap, ratio));
    }

    drawStripLabel(p, QRect(0, 0, w, kTrackY), kBox, kBoxLine, model_.label());

    const QString value = model_.valueText();
    const QFont valueFont = stripFont(QStringLiteral("Tahoma"), 13, QFont::Normal);
    if (model_.popupVisible()) {
        QRect band;
        if (model_.kind() == Kind::Gain) {
            band = pos >= 36 ? QRect(0, pos - 10, w, 10) : QRect(0, pos + 36, w, 10);
        } else {
            band = pos >= 36 ? QRect(0, pos - 10, w, 14) : QRect(0, 21, w, 17);
        }
        p.fillRect(band, kPopup);
        p.setFont(valueFont);
        p.setPen(kPopupText);
        p.drawText(QRect(12 - 40, band.top() - 4, 80, band.height() + 8),
                   Qt::AlignCenter | Qt::TextSingleLine, value);
    }

    const int boxTop = model_.valueBoxTop();
    drawBox(p, QRect(0, boxTop, w, h - boxTop));
    p.setFont(valueFont);
    p.setPen(kStripLabelText);
    drawCentred(p, 13, boxTop + 4, h - boxTop - 4, value);

    if (model_.selected()) {
        p.setPen(kSelection);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(0, kTrackY, w - 1, h - 40 - 1));
    }
}

void Fader::mousePressEvent(QMouseEvent* event) {
    syncClock();
    const int y = qRound(event->position().y());
    if (event->button() == Qt::LeftButton) {
        model_.leftPress(y, event->modifiers());
    } else if (event->button() == Qt::RightButton && model_.rightPress(y)) {
        // The window may close while the dialog is open (a lost link): then this
        // fader is gone too.
        const QPointer<Fader> alive(this);
        const auto text = EditLabelDialog::edit(model_.label(), FaderModel::kLabelLimit + 1, this);
        if (alive.isNull()) {
            return;
        }
        if (text) {
            model_.labelEdited(*text);
        }
    }
    reschedule();
}

void Fader::mouseMoveEvent(QMouseEvent* event) {
    syncClock();
    model_.pointerMove(qRound(event->position().y()));
    reschedule();
}

void Fader::mouseReleaseEvent(QMouseEvent* event) {
    syncClock();
    if (event->button() == Qt::LeftButton) {
        model_.leftRelease();
    }
    reschedule();
}

void Fader::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double-click is only a double-click, not a new grab.
    syncClock();
    if (event->button() == Qt::LeftButton) {
        model_.doubleClick(qRound(event->position().y()));
    }
    reschedule();
}

void Fader::wheelEvent(QWheelEvent* event) {
    syncClock();
    model_.wheel(event->angleDelta().y());
    reschedule();
    event->accept();
}

void Fader::keyPressEvent(QKeyEvent* event) {
    syncClock();
    const bool known = model_.keyPress(event->key(), event->modifiers());
    reschedule();
    if (!known) {
        QWidget::keyPressEvent(event);
    }
}

void Fader::enterEvent(QEnterEvent* event) {
    syncClock();
    model_.pointerEnter(qRound(event->position().y()));
    reschedule();
}

void Fader::leaveEvent(QEvent*) {
    syncClock();
    model_.pointerLeave();
    reschedule();
}

void Fader::focusInEvent(QFocusEvent*) {
    update();
}

void Fader::focusOutEvent(QFocusEvent*) {
    update();
}

} // namespace varento
