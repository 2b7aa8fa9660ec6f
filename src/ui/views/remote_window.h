#pragma once

#include "ui/models/remote_panel_model.h"

#include <QWidget>

#include <map>

namespace varento {

class MyButton;
class Session;

// The front-panel picture of the unit: the model's panel with its indicators
// copied from the lit, unlit or disabled image, the firmware and temperature
// texts, the gauge and the panel's keys. The two windows differ only in their
// panel kind; everything that is not drawing is RemotePanelModel.
class RemotePanelView : public QWidget {
    Q_OBJECT

public:
    RemotePanelModel& model() { return model_; }
    // Set model, when the unit is identified: the panel images and the height.
    void setModel(int model);
    MyButton* button(int id) const;

protected:
    RemotePanelView(panel::PanelKind kind, Session& session, QWidget* parent);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void addButton(int id, QPoint at, const std::array<int, 5>& bitmaps, bool toggle,
                   const QString& text);
    void applyButtonLooks();
    void repaintArea(const QRect& area);

    Session& session_;
    RemotePanelModel model_;
    std::map<int, MyButton*> buttons_;
};

// "Remote Window": the base front panel (models 8, 11, 12, 20, 21, 24).
class RemoteWindow : public RemotePanelView {
    Q_OBJECT
public:
    RemoteWindow(Session& session, QWidget* parent);
};

// "PX Remote Window": the extended front panel (models 9, 10, 13, 14, 18, 19).
class PxRemoteWindow : public RemotePanelView {
    Q_OBJECT
public:
    PxRemoteWindow(Session& session, QWidget* parent);
};

} // namespace varento
