#pragma once

#include <QWidget>

namespace varento {

// The strip above the views: brushed background, the gathering progress and the
// "Device: " caption. The buttons and the device selector are its children.
class TopBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 50;

    explicit TopBar(QWidget* parent = nullptr);

    // While discovery is still gathering: "<n> Devices found: Gathering Device Data...".
    void setGathering(bool gathering, int devicesFound);
    QString gatheringText() const { return gatheringText_; }

    static QFont textFont();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString gatheringText_;
};

} // namespace varento
