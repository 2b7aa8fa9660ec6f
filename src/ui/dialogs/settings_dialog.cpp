#include "ui/dialogs/settings_dialog.h"

#include "ui/dialogs/guarded_modal.h"

#include "ui/models/settings_ids.h"
#include "ui/models/settings_model.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMoveEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <span>

namespace varento {

namespace {

namespace id = settings_id;

enum class Kind { Group, Label, Radio, Check, Combo, Push };

// One control of a template: where it sits in dialog units. Static texts carry
// their own text; controls with an id take theirs from the model.
struct Placement {
    int id;
    Kind kind;
    QRect du;
    const char* text = nullptr;
    QRect buddy{}; // the caption before a list, if the list has one
};

constexpr int kRow = 10;   // check boxes, radios, labels
constexpr int kCombo = 14; // lists and push buttons

const Placement kUnitTemplate[] = {
    {0, Kind::Group, {7, 5, 107, 62}, "Clock Source"},
    {id::clockWck, Kind::Radio, {14, 18, 44, kRow}},
    {id::clockMadi, Kind::Radio, {14, 32, 44, kRow}},
    {id::clockInt, Kind::Radio, {14, 46, 44, kRow}},
    {id::term, Kind::Check, {60, 18, 50, kRow}},
    {0, Kind::Group, {121, 5, 107, 62}, "Sample Rate"},
    {id::rate, Kind::Combo, {128, 18, 93, kCombo}},
    {id::speed2, Kind::Check, {128, 38, 44, kRow}},
    {id::speed4, Kind::Check, {174, 38, 44, kRow}},
    {0, Kind::Group, {7, 70, 85, 30}, "MADI Format"},
    {id::madi56, Kind::Check, {14, 83, 36, kRow}},
    {id::madi96k, Kind::Check, {52, 83, 36, kRow}},
    {0, Kind::Group, {99, 70, 129, 30}, "Analog Level"},
    {0, Kind::Label, {105, 84, 10, kRow}, "IN"},
    {id::analogIn, Kind::Combo, {116, 82, 44, kCombo}},
    {0, Kind::Label, {165, 84, 16, kRow}, "OUT"},
    {id::analogOut, Kind::Combo, {182, 82, 42, kCombo}},
    {0, Kind::Group, {7, 103, 107, 44}, "Bank Select"},
    {id::bankLow, Kind::Radio, {14, 118, 45, kRow}},
    {id::bankHigh, Kind::Radio, {60, 118, 48, kRow}},
    {0, Kind::Group, {121, 103, 107, 44}, "Routing"},
    {id::matrixMode, Kind::Check, {128, 116, 98, kRow}},
    {id::extendedRouting, Kind::Check, {128, 130, 98, kRow}},
    {id::redundancyGroup, Kind::Group, {7, 150, 221, 42}},
    {id::redundancy, Kind::Combo, {14, 170, 100, kCombo}},
    {id::remoteLabel, Kind::Label, {121, 160, 100, 9}},
    {id::remotePort, Kind::Combo, {121, 170, 100, kCombo}},
    {0, Kind::Group, {7, 195, 221, 56}, "Device"},
    {id::usbEmbedder, Kind::Check, {14, 208, 100, kRow}},
    {id::displayDark, Kind::Check, {121, 208, 100, kRow}},
    {id::ledDim, Kind::Combo, {52, 222, 62, kCombo}, nullptr, {14, 224, 37, kRow}},
    {id::delayCompensation, Kind::Check, {14, 237, 200, kRow}},
    {id::identify, Kind::Push, {121, 222, 100, kCombo}},
    {0, Kind::Group, {7, 254, 221, 46}, "Fan"},
    {id::fanSlow, Kind::Combo, {58, 267, 30, kCombo}, nullptr, {14, 269, 43, kRow}},
    {0,
     Kind::Label,
     {90, 269, 12, kRow},
     "\xB0"
     "C"},
    {id::fanFast, Kind::Combo, {165, 267, 30, kCombo}, nullptr, {121, 269, 43, kRow}},
    {0,
     Kind::Label,
     {197, 269, 12, kRow},
     "\xB0"
     "C"},
    {id::safeMode, Kind::Check, {14, 285, 200, kRow}},
    {id::ok, Kind::Push, {71, 308, 50, kCombo}},
    {id::cancel, Kind::Push, {125, 308, 50, kCombo}},
    {id::apply, Kind::Push, {179, 308, 50, kCombo}},
};

const Placement kExtendedTemplate[] = {
    {0, Kind::Group, {7, 5, 107, 72}, "Clock Source"},
    {id::clockInt, Kind::Radio, {14, 18, 44, kRow}},
    {id::clockAes, Kind::Radio, {14, 31, 44, kRow}},
    {id::clockWck, Kind::Radio, {14, 44, 44, kRow}},
    {id::clockMadi, Kind::Radio, {14, 57, 44, kRow}},
    {id::term, Kind::Check, {60, 44, 50, kRow}},
    {0, Kind::Group, {121, 5, 107, 72}, "Sample Rate"},
    {id::rate, Kind::Combo, {128, 18, 93, kCombo}},
    {id::speed2, Kind::Check, {128, 40, 44, kRow}},
    {id::speed4, Kind::Check, {174, 40, 44, kRow}},
    {0, Kind::Group, {7, 80, 85, 30}, "MADI Format"},
    {id::madi56, Kind::Check, {14, 93, 36, kRow}},
    {id::madi96k, Kind::Check, {52, 93, 36, kRow}},
    {0, Kind::Group, {99, 80, 129, 30}, "Analog Level"},
    {0, Kind::Label, {105, 94, 10, kRow}, "IN"},
    {id::analogIn, Kind::Combo, {116, 92, 44, kCombo}},
    {0, Kind::Label, {165, 94, 16, kRow}, "OUT"},
    {id::analogOut, Kind::Combo, {182, 92, 42, kCombo}},
    {0, Kind::Group, {7, 113, 221, 66}, "Output Routing"},
    {id::aesOutLabel, Kind::Label, {14, 128, 45, kRow}},
    {id::aesOut, Kind::Combo, {60, 126, 55, kCombo}},
    {id::daOutLabel, Kind::Label, {121, 128, 45, kRow}},
    {id::daOut, Kind::Combo, {167, 126, 55, kCombo}},
    {0, Kind::Label, {14, 146, 45, kRow}, "01..32 OUT"},
    {id::out1To32, Kind::Combo, {60, 144, 55, kCombo}},
    {0, Kind::Label, {121, 146, 45, kRow}, "33..64 OUT"},
    {id::out33To64, Kind::Combo, {167, 144, 55, kCombo}},
    {id::matrixMode, Kind::Check, {14, 164, 100, kRow}},
    {id::extendedRouting, Kind::Check, {121, 164, 104, kRow}},
    {id::srcGroup, Kind::Group, {7, 182, 221, 28}},
    {id::src1, Kind::Check, {14, 195, 50, kRow}},
    {id::src1 + 1, Kind::Check, {66, 195, 50, kRow}},
    {id::src1 + 2, Kind::Check, {118, 195, 50, kRow}},
    {id::src1 + 3, Kind::Check, {170, 195, 50, kRow}},
    {id::redundancyGroup, Kind::Group, {7, 213, 221, 42}},
    {id::redundancy, Kind::Combo, {14, 233, 100, kCombo}},
    {id::remoteLabel, Kind::Label, {121, 223, 100, 9}},
    {id::remotePort, Kind::Combo, {121, 233, 100, kCombo}},
    {0, Kind::Group, {7, 258, 221, 70}, "Device"},
    {id::usbEmbedder, Kind::Check, {14, 271, 100, kRow}},
    {id::displayDark, Kind::Check, {121, 271, 100, kRow}},
    {id::ledDim, Kind::Combo, {52, 285, 62, kCombo}, nullptr, {14, 287, 37, kRow}},
    {id::identify, Kind::Push, {121, 285, 100, kCombo}},
    {id::userbit, Kind::Check, {14, 303, 210, kRow}},
    {id::delayCompensation, Kind::Check, {14, 315, 200, kRow}},
    {0, Kind::Group, {7, 331, 221, 46}, "Fan"},
    {id::fanSlow, Kind::Combo, {58, 344, 30, kCombo}, nullptr, {14, 346, 43, kRow}},
    {0,
     Kind::Label,
     {90, 346, 12, kRow},
     "\xB0"
     "C"},
    {id::fanFast, Kind::Combo, {165, 344, 30, kCombo}, nullptr, {121, 346, 43, kRow}},
    {0,
     Kind::Label,
     {197, 346, 12, kRow},
     "\xB0"
     "C"},
    {id::safeMode, Kind::Check, {14, 362, 200, kRow}},
    {id::ok, Kind::Push, {71, 388, 50, kCombo}},
    {id::cancel, Kind::Push, {125, 388, 50, kCombo}},
    {id::apply, Kind::Push, {179, 388, 50, kCombo}},
};

// Dialog units as the templates use them: a quarter of the average character
// width across, an eighth of the font height down.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics m(font);
        const QString alphabet =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        baseX_ = (m.horizontalAdvance(alphabet) / 26 + 1) / 2;
        baseY_ = m.height();
    }
    QRect map(QRect du) const {
        return {x(du.x()), y(du.y()), x(du.x() + du.width()) - x(du.x()),
                y(du.y() + du.height()) - y(du.y())};
    }
    QSize map(QSize du) const { return {x(du.width()), y(du.height())}; }

private:
    int x(int du) const { return (du * baseX_ + 2) / 4; }
    int y(int du) const { return (du * baseY_ + 4) / 8; }
    int baseX_ = 6;
    int baseY_ = 13;
};

QFont dialogFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    return font;
}

} // namespace

SettingsDialog::SettingsDialog(SettingsModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setObjectName(QString::number(model.templateNumber()));
    setFont(dialogFont());
    build();
    setWindowTitle(model_.title());
    connect(&model_, &DialogModel::titleChanged, this, &QWidget::setWindowTitle);
    connect(&model_, &DialogModel::controlChanged, this, &SettingsDialog::sync);
    connect(&model_, &SettingsModel::finished, this, [this](int result) { done(result); });
    connect(&model_, &SettingsModel::focusRequested, this, [this](int target) {
        if (QWidget* w = control(target)) {
            w->setFocus();
        }
    });
}

void SettingsDialog::build() {
    const std::span<const Placement> table = model_.templateNumber() == 162
                                                 ? std::span<const Placement>(kExtendedTemplate)
                                                 : std::span<const Placement>(kUnitTemplate);
    const DialogUnits units(font());
    setFixedSize(units.map(model_.sizeInDialogUnits()));
    for (const Placement& p : table) {
        const QString text = p.text != nullptr ? QString::fromLatin1(p.text) : QString();
        QWidget* w = nullptr;
        switch (p.kind) {
        case Kind::Group:
            w = new QGroupBox(text, this);
            w->lower(); // under the controls it frames
            break;
        case Kind::Label:
            w = new QLabel(text, this);
            break;
        case Kind::Radio: {
            auto* radio = new QRadioButton(this);
            // The model keeps each group's one checked radio.
            radio->setAutoExclusive(false);
            w = radio;
            break;
        }
        case Kind::Check:
            w = new QCheckBox(this);
            break;
        case Kind::Combo:
            w = new QComboBox(this);
            break;
        case Kind::Push:
            w = new QPushButton(this);
            break;
        }
        w->setGeometry(units.map(p.du));
        if (p.id == 0) {
            continue;
        }
        const int controlId = p.id;
        w->setObjectName(QString::number(controlId));
        controls_[controlId] = w;
        if (!p.buddy.isNull()) {
            auto* buddy = new QLabel(this);
            buddy->setGeometry(units.map(p.buddy));
            buddy->setBuddy(w);
            buddies_[controlId] = buddy;
        }
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            button->setAutoDefault(false);
            button->setDefault(controlId == id::ok);
            connect(button, &QPushButton::clicked, this,
                    [this, controlId] { model_.press(controlId); });
        } else if (auto* box = qobject_cast<QAbstractButton*>(w)) {
            box->setCheckable(true);
            connect(box, &QAbstractButton::clicked, this, [this, controlId](bool checked) {
                model_.click(controlId, checked);
                sync(controlId); // the model may have refused or taken the click back
            });
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            connect(combo, &QComboBox::activated, this, [this, controlId](int index) {
                model_.select(controlId, index);
                sync(controlId);
            });
        }
    }
    for (const auto& [controlId, widget] : controls_) {
        sync(controlId);
    }
}

QWidget* SettingsDialog::control(int controlId) const {
    const auto it = controls_.find(controlId);
    return it == controls_.end() ? nullptr : it->second;
}

void SettingsDialog::sync(int controlId) {
    QWidget* w = control(controlId);
    if (w == nullptr) {
        return;
    }
    const ControlState& c = model_.control(controlId);
    w->setEnabled(c.enabled);
    w->setVisible(c.visible);
    if (const auto it = buddies_.find(controlId); it != buddies_.end()) {
        it->second->setText(c.text);
        it->second->setEnabled(c.enabled);
        it->second->setVisible(c.visible);
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        const QSignalBlocker block(combo);
        QStringList shown;
        for (int i = 0; i < combo->count(); ++i) {
            shown << combo->itemText(i);
        }
        if (shown != c.items) {
            combo->clear();
            combo->addItems(c.items);
        }
        combo->setCurrentIndex(c.currentIndex);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        const QSignalBlocker block(button);
        button->setText(c.text);
        if (button->isCheckable()) {
            button->setChecked(c.checked);
        }
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(c.text);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(c.text);
    }
}

// Enter and Escape, and the close box, go through the model like the buttons, so
// the record is always put back or taken over.
void SettingsDialog::accept() {
    if (!model_.result() && !model_.press(id::ok)) {
        return;
    }
    QDialog::accept();
}

void SettingsDialog::reject() {
    if (!model_.result()) {
        model_.press(id::cancel);
    }
    QDialog::reject();
}

void SettingsDialog::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    // The frame's corner, so the next opening puts the dialog exactly here again.
    if (isVisible()) {
        model_.setPosition(pos());
    }
}

std::optional<int> SettingsDialog::run(SettingsModel& model, QWidget* parent) {
    auto* dialog = new SettingsDialog(model, parent);
    if (const auto position = model.position()) {
        dialog->move(*position);
    }
    if (!execGuarded(dialog)) {
        return std::nullopt; // its window closed under it
    }
    delete dialog;
    return model.result().value_or(0);
}

} // namespace varento
