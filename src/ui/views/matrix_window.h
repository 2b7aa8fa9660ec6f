#pragma once

#include "ui/models/matrix_model.h"

#include <QWidget>

#include <array>
#include <functional>
#include <map>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QMenu;

namespace varento {

class MyButton;
class Scroller;
class Session;

// "Matrix Window": one bank of 32 sources (rows) against one bank of 32 outputs
// (columns). Left clicks and drags route, right clicks on a header rename the
// channel; the bank keys, switches and bus levels sit above the grid. Everything
// but drawing and input is the MatrixModel's.
class MatrixWindow : public QWidget {
    Q_OBJECT
public:
    explicit MatrixWindow(Session& session, QWidget* parent = nullptr);

    MatrixModel& model() { return model_; }
    int scrollOffset() const { return scroll(); }
    // Where the read-out of the cell under the mouse goes; an empty text ends it.
    void setHintSink(std::function<void(const QString&)> sink) { hint_ = std::move(sink); }
    // The window's Edit menu (undo, redo): shown while the window is.
    void setEditMenu(QMenu* menu);
    // The text the read-out shows for a cell of the shown banks.
    QString hoverText(GridCell cell) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    void syncControls();
    void placeControls();
    int scroll() const;
    void updateHover(QPoint at);
    void refreshHint();
    void editLabelAt(QPoint at);
    void syncHistory();

    void drawSumPanel(QPainter& painter) const;
    void drawHeaders(QPainter& painter) const;
    void drawCells(QPainter& painter) const;
    void drawHover(QPainter& painter) const;

    MatrixModel model_;
    Scroller* scroller_ = nullptr;
    std::map<int, MyButton*> bankKeys_;
    QCheckBox* matrixMode_ = nullptr;
    QCheckBox* extendedRouting_ = nullptr;
    MyButton* preset_ = nullptr;
    std::array<QComboBox*, 4> busLevels_{};
    QMenu* editMenu_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    std::function<void(const QString&)> hint_;
    std::optional<GridCell> hover_;
};

} // namespace varento
