#pragma once

#include "ui/models/button_window_model.h"

#include <QWidget>

#include <functional>
#include <map>

namespace varento {

class MyButton;
class Scroller;
class Session;

// "Button Window": the commissioning panel of the button view (F12). Drawing,
// scrolling and clicks; what a click does is the ButtonWindowModel's.
class ButtonWindow : public QWidget {
    Q_OBJECT
public:
    // `mainWindow` runs the commands the main window owns (40022).
    ButtonWindow(Session& session, std::function<void(int id)> mainWindow,
                 QWidget* parent = nullptr);

    ButtonWindowModel& model() { return model_; }
    MyButton* button(int id) const;
    int scrollOffset() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void syncLooks();
    void placeButtons(int offset);

    ButtonWindowModel model_;
    std::map<int, MyButton*> buttons_;
    Scroller* scroller_ = nullptr;
};

} // namespace varento
