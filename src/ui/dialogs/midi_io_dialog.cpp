#include "ui/dialogs/midi_io_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace varento {

MidiIoDialog::MidiIoDialog(MidiIoModel model, QWidget* parent)
    : QDialog(parent), model_(std::move(model)) {
    setWindowTitle(QStringLiteral("MIDI I/O"));

    auto makeList = [this](const char* id, const QStringList& items, int selected) {
        auto* list = new QComboBox(this);
        list->setObjectName(QString::fromLatin1(id));
        list->addItems(items);
        list->setCurrentIndex(selected);
        list->setMinimumWidth(240);
        return list;
    };
    input_ = makeList("1023", model_.inputItems(), model_.initialInput());
    output_ = makeList("1024", model_.outputItems(), model_.initialOutput());

    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok_->setObjectName(QStringLiteral("1"));
    ok_->setDefault(true);
    auto* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto updateOk = [this] { ok_->setEnabled(choice().has_value()); };
    connect(input_, &QComboBox::currentIndexChanged, this, updateOk);
    connect(output_, &QComboBox::currentIndexChanged, this, updateOk);
    updateOk();

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("MIDI In:"), input_);
    form->addRow(QStringLiteral("MIDI Out:"), output_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

std::optional<std::pair<int, int>> MidiIoDialog::choice() const {
    return model_.choose(input_->currentIndex(), output_->currentIndex());
}

} // namespace varento
