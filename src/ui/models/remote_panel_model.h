#pragma once

#include "ui/models/panel_state.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTimer>

#include <functional>
#include <optional>

namespace varento {

class Session;
class SettingsModel;

// Commands a remote window handles; the main window sends 100, its buttons and
// the settings dialog the others.
namespace remote_command {
inline constexpr int refresh = 100;
inline constexpr int openSettings = 105;
inline constexpr int startBlinking = 110;
inline constexpr int stopBlinking = 111;
inline constexpr int matrixMode = 112;   // base window only
inline constexpr int bank = 113;         // base window only
inline constexpr int resetRouting = 114; // base window only
inline constexpr int sendAllSettings = 115;
inline constexpr int sendIdentify = 116;
} // namespace remote_command

// A button of the window as its owner sets it: usable or not, and its look
// (MyButton state 0 normal, 4 drawn disabled).
struct ButtonLook {
    bool enabled = true;
    int state = 0;
    friend bool operator==(const ButtonLook&, const ButtonLook&) = default;
};

// Everything of a remote window that is not drawing: the panel images of the
// unit's model, the blink timer, the commands, the clicks that open the settings
// dialog, and what is sent around that dialog. One class serves both windows.
class RemotePanelModel : public QObject {
    Q_OBJECT

public:
    static constexpr int kBlinkMs = 300;

    // Runs the settings dialog over the model (already opened) and returns 1 for OK,
    // 0 for Cancel, nothing when the window closed under it; the GUI shows the
    // dialog, tests click through the model.
    using DialogRunner = std::function<std::optional<int>(SettingsModel&)>;

    RemotePanelModel(panel::PanelKind kind, Session& session, QObject* parent = nullptr);
    ~RemotePanelModel() override;

    panel::PanelKind kind() const { return kind_; }

    // Set model, when the unit is identified.
    void setModel(int model);
    panel::PanelImages images() const { return images_; }
    panel::PanelState state() const;

    // One of the window's command ids; false for an id it does not handle.
    bool command(int id);
    // A left click on the panel, in window coordinates.
    bool click(QPoint at);
    bool opensSettings(QPoint at) const;

    bool blinking() const { return blinking_; }
    bool blinkPhase() const { return blinkPhase_; }
    const QTimer& blinkTimer() const { return blinkTimer_; }

    ButtonLook bankButton() const { return bank_; }
    ButtonLook resetButton() const { return reset_; }

    void setDialogRunner(DialogRunner runner) { runner_ = std::move(runner); }
    // Where the commands for the main window go (117, 118); by
    // default straight to the session.
    void setMainWindow(std::function<void(int id)> send) { mainWindow_ = std::move(send); }
    // The window's top-left corner on the screen, for the dialog's first position.
    void setScreenOrigin(std::function<QPoint()> origin) { origin_ = std::move(origin); }
    std::optional<QPoint> dialogPosition() const { return position_; }

    // The area a repaint of the whole window asks for.
    static QRect wholeWindow() { return {}; }

signals:
    // An empty rectangle repaints the whole window.
    void repaintRequested(const QRect& area);
    void buttonsChanged();

private:
    void refresh();
    void startBlinking();
    void stopBlinking();
    void blinkTick();
    void openSettings();
    void toggleMatrixMode();
    void toggleBank();
    void resetRouting();
    void updateButtons();
    void tellMainWindow(int id);

    panel::PanelKind kind_;
    Session& session_;
    panel::PanelImages images_;
    QTimer blinkTimer_;
    bool blinking_ = false;
    bool blinkPhase_ = false;
    ButtonLook bank_;
    ButtonLook reset_{false, 4};
    DialogRunner runner_;
    std::function<void(int)> mainWindow_;
    std::function<QPoint()> origin_;
    std::optional<QPoint> position_;
    DeviceRecord* working_ = nullptr; // the open settings dialog's record
};

} // namespace varento
