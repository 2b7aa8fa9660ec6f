#pragma once

#include <QDialog>

#include <map>
#include <optional>

class QAbstractButton;
class QLabel;

namespace varento {

class SettingsModel;

// "VARENTO Settings" and "VARENTO.PX (SRC) Settings": one thin view for both
// templates. Every control is built from the template's table, named by its id,
// shows what the model says and hands every click and selection to the model.
class SettingsDialog : public QDialog {
    Q_OBJECT

public:
    explicit SettingsDialog(SettingsModel& model, QWidget* parent = nullptr);

    // The widget of a control id, or none.
    QWidget* control(int id) const;

    // Shows the dialog at the model's position and runs it; 1 for OK, 0 for Cancel,
    // nothing when `parent` was closed meanwhile (the dialog went with it).
    static std::optional<int> run(SettingsModel& model, QWidget* parent);

    void accept() override;
    void reject() override;

protected:
    void moveEvent(QMoveEvent* event) override;

private:
    void build();
    void sync(int id);

    SettingsModel& model_;
    std::map<int, QWidget*> controls_;
    std::map<int, QLabel*> buddies_; // the caption before a list, shown and hidden with it
};

} // namespace varento
