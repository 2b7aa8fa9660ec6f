#include "ui/views/remote_window.h"

#include "app/session.h"
#include "protocol/catalog.h"
#include "ui/controls/my_button.h"
#include "ui/dialogs/settings_dialog.h"
#include "ui/skin/skin.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace varento {

namespace {

using panel::Look;
using panel::PanelKind;

const QColor kTextColour{2, 55, 112};
const QColor kFrameColour{31, 77, 126};
const QColor kBelowPanel{62, 66, 72}; // the window under the base panel's keys

QFont panelTextFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(13);
    return font;
}

int windowHeight(PanelKind kind, int model) {
    if (kind == PanelKind::Base) {
        return panel::kBaseWindowHeight;
    }
    // Model 19's panel is taller than the window the others need.
    return std::max(panel::kExtendedWindowHeight, panel::layoutFor(kind, model).size.height());
}

} // namespace

RemotePanelView::RemotePanelView(PanelKind kind, Session& session, QWidget* parent)
    : QWidget(parent), session_(session), model_(kind, session) {
    setObjectName(kind == PanelKind::Base ? QStringLiteral("Remote Window")
                                          : QStringLiteral("PX Remote Window"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setFixedSize(panel::kPanelWidth, windowHeight(kind, 0));

    addButton(remote_command::openSettings, {540, 143}, {110, 111, 111, 111, 110}, false, {});
    if (kind == PanelKind::Base) {
        // Matrix mode, bank and reset routing exist but stay hidden, as on the unit's
        // own remote panel; their commands still work.
        const std::array<int, 5> keys{124, 126, 125, 127, 129};
        addButton(remote_command::matrixMode, {542, 186}, keys, false, QStringLiteral("MATRIX"));
        addButton(remote_command::bank, {542, 235}, keys, true, QStringLiteral("BANK"));
        addButton(remote_command::resetRouting, {356, 325}, keys, false, QStringLiteral("RESET"));
        for (int id :
             {remote_command::matrixMode, remote_command::bank, remote_command::resetRouting}) {
            buttons_[id]->hide();
        }
        applyButtonLooks();
    }

    model_.setDialogRunner(
        [this](SettingsModel& dialog) { return SettingsDialog::run(dialog, this); });
    model_.setScreenOrigin([this] { return mapToGlobal(QPoint(0, 0)); });
    connect(&model_, &RemotePanelModel::repaintRequested, this, &RemotePanelView::repaintArea);
    connect(&model_, &RemotePanelModel::buttonsChanged, this, &RemotePanelView::applyButtonLooks);
    // Both windows hear of the unit's model; each takes the panel it knows.
    connect(&session_, &Session::unitIdentified, this, &RemotePanelView::setModel);
    // A parameter reply refreshes the window of the unit's own panel kind.
    connect(&session_, &Session::parametersChanged, this, [this, kind] {
        const FrontPanel wanted = kind == PanelKind::Base ? FrontPanel::Base : FrontPanel::Extended;
        if (frontPanel(session_.current().model) == wanted) {
            model_.command(remote_command::refresh);
        }
    });
}

void RemotePanelView::addButton(int id, QPoint at, const std::array<int, 5>& bitmaps, bool toggle,
                                const QString& text) {
    MyButton::Block block;
    block.bitmaps = bitmaps;
    block.toggle = toggle;
    block.text = text;
    block.drawText = !text.isEmpty();
    block.textColour = QColor(225, 230, 236);
    MyButton* button = MyButton::create(this, id, at.x(), at.y(), block);
    buttons_[id] = button;
    // Queued, so a dialog or question never opens inside the button's own click.
    connect(button, &MyButton::clicked, this, [this](int command, int) {
        QTimer::singleShot(0, this, [this, command] { model_.command(command); });
    });
}

MyButton* RemotePanelView::button(int id) const {
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

void RemotePanelView::applyButtonLooks() {
    const std::pair<int, ButtonLook> looks[] = {
        {remote_command::bank, model_.bankButton()},
        {remote_command::resetRouting, model_.resetButton()}};
    for (const auto& [id, look] : looks) {
        if (MyButton* b = button(id)) {
            b->setEnabled(look.enabled);
            b->setState(look.state);
        }
    }
}

void RemotePanelView::setModel(int model) {
    model_.setModel(model);
    setFixedSize(panel::kPanelWidth, windowHeight(model_.kind(), model));
    update();
}

void RemotePanelView::repaintArea(const QRect& area) {
    if (area.isNull()) {
        update();
    } else {
        update(area);
    }
}

void RemotePanelView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const qreal ratio = devicePixelRatioF();
    const panel::PanelImages images = model_.images();
    const panel::PanelState state = model_.state();
    const QPixmap unlit = skin::bitmap(images.unlit, ratio);
    const QPixmap lit = skin::bitmap(images.lit, ratio);
    const QPixmap disabled = skin::bitmap(images.disabled, ratio);

    const QRect panelRect(QPoint(0, 0), state.panelSize);
    p.fillRect(rect(), kBelowPanel);
    p.drawPixmap(panelRect.topLeft(), unlit);

    // A piece of an image, addressed in logical pixels.
    auto copy = [&p, ratio](const QPixmap& from, const QRect& r) {
        p.drawPixmap(QRectF(r), from,
                     QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio));
    };
    for (const panel::Indicator& i : state.indicators) {
        switch (i.look) {
        case Look::Lit:
            copy(lit, i.rect);
            break;
        case Look::Unlit:
            copy(unlit, i.rect);
            break;
        case Look::Disabled:
            copy(disabled, i.rect);
            break;
        case Look::NotDrawn:
            break;
        }
    }

    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kFrameColour, 1.0));
    p.setBrush(Qt::NoBrush);
    for (const QRect& frame : state.frames) {
        p.drawRoundedRect(QRectF(frame).adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
    }

    p.setFont(panelTextFont());
    p.setPen(kTextColour);
    const QPoint fw = panel::kFirmwareAt;
    const QPoint temp = panel::kTemperatureAt;
    p.drawText(QRect(fw.x(), fw.y(), 120, 20), Qt::AlignLeft | Qt::AlignTop, state.firmware);
    p.drawText(QRect(temp.x(), temp.y(), 120, 20), Qt::AlignLeft | Qt::AlignTop, state.temperature);

    const QRect gauge = panel::kGauge;
    p.drawPixmap(gauge.topLeft(), skin::bitmap(163, ratio));
    if (state.gaugeFill > 0) {
        const QPixmap fill = skin::bitmap(162, ratio);
        p.drawPixmap(QRectF(gauge.x(), gauge.y(), state.gaugeFill, gauge.height()), fill,
                     QRectF(0, 0, state.gaugeFill * ratio, gauge.height() * ratio));
    }
}

void RemotePanelView::mousePressEvent(QMouseEvent* event) {
    setFocus();
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event->position().toPoint();
    if (model_.opensSettings(at)) {
        QTimer::singleShot(0, this, [this, at] { model_.click(at); });
    }
}

void RemotePanelView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void RemotePanelView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

RemoteWindow::RemoteWindow(Session& session, QWidget* parent)
    : RemotePanelView(PanelKind::Base, session, parent) {}

PxRemoteWindow::PxRemoteWindow(Session& session, QWidget* parent)
    : RemotePanelView(PanelKind::Extended, session, parent) {}

} // namespace varento
