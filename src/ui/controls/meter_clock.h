#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

namespace varento {

class LevelMeter;

// The one animation tick of every level meter. Each meter works out its fall
// from elapsed time, so one 20 ms tick serves any number of meters and the cost
// grows with the meters that change, not with timers. The tick runs only while
// a visible meter is falling; a hidden meter catches up when it is shown.
//
// The owner of a group of meters (or the shell, for all windows) keeps one clock
// and hands it to every LevelMeter it creates; the clock outlives its meters.
class MeterClock : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 20;

    explicit MeterClock(QObject* parent = nullptr);
    ~MeterClock() override;

    // Milliseconds since the clock was made, or from the source a test sets.
    qint64 now() const;
    void setTimeSource(std::function<qint64()> source);

    bool isRunning() const { return timer_.isActive(); }
    int meterCount() const { return static_cast<int>(meters_.size()); }

    // Brings every visible meter up to now() and stops when none is falling any
    // more. The timer calls this; tests with their own time source may too.
    void tick();

signals:
    void runningChanged(bool running);

private:
    friend class LevelMeter;
    void attach(LevelMeter* meter);
    void detach(LevelMeter* meter);
    // A meter started falling or was shown.
    void wake();
    void setRunning(bool running);

    std::vector<LevelMeter*> meters_;
    QTimer timer_;
    QElapsedTimer elapsed_;
    std::function<qint64()> source_;
};

} // namespace varento
