#pragma once

#include <QObject>
#include <QScrollBar>

class QWheelEvent;
class QWidget;

namespace varento {

// The scroll bar of a view that is larger than its window: the matrix scrolls
// down, the gain window, the meterbridge and the commissioning panel sideways.
// Line and page actions and each wheel turn move one step (a turn away from the
// user goes back), thumb drags go anywhere, and the offset never passes the point
// where the content's last pixel shows. The view moves its children and repaints
// on scrolled().
class Scroller : public QObject {
    Q_OBJECT

public:
    static constexpr int kThickness = 16;

    Scroller(Qt::Orientation orientation, int step, QWidget* view);

    QScrollBar* bar() const { return bar_; }
    int offset() const { return offset_; }
    int step() const { return step_; }

    // The content's extent along the bar, in pixels; offsets run from 0 to the
    // extent less the window's size.
    void setContentLength(int length);
    // From the view's resizeEvent: the bar along the bottom (or right) edge, the page
    // the window's size, the offset kept in range.
    void fit();

    void scrollTo(int offset);
    void stepBy(int steps);
    void wheel(QWheelEvent* event);

signals:
    void scrolled(int offset);

private:
    int pageLength() const;
    void syncRange();

    QWidget* view_;
    QScrollBar* bar_;
    int step_;
    int contentLength_ = 0;
    int offset_ = 0;
};

} // namespace varento
