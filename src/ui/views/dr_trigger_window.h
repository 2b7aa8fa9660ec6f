#pragma once

#include "ui/models/dr_trigger_model.h"

#include <QWidget>

#include <array>
#include <functional>

class QComboBox;

namespace varento {

class MyButton;
class Session;

// "DR Trigger Button Window": a window of its own, 910 x 500, with a button per
// analog input and the spare-input list. Closing it destroys it; the switch-over
// stays with the session.
class DrTriggerWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{910, 500};

    // `mainWindow` runs the commands the main window owns (154).
    DrTriggerWindow(Session& session, std::function<void(int id, int param)> mainWindow,
                    QWidget* parent = nullptr);

    DrTriggerModel& model() { return model_; }
    MyButton* button(int channel) const;
    QComboBox* spareList() const { return spareList_; }
    // Labels 32..63 of the current unit onto the buttons.
    void drTriggerApplyLabels();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void syncLooks();

    DrTriggerModel model_;
    std::array<MyButton*, kSpareChannels> buttons_{};
    QComboBox* spareList_ = nullptr;
};

} // namespace varento
