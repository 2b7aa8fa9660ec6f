#pragma once

#include "varento_version.h"

#include "gui/command_dispatcher.h"
#include "gui/content_view.h"
#include "gui/view_geometry.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QComboBox;
class QLabel;

namespace varento {

class AppSettings;
class JournalWindow;
namespace osc {
class Server;
}
class Interaction;
class MyButton;
class Session;
class TopBar;
enum class OfflineModel;
struct PersistedSettings;

// "VARENTO Remote 3.5": the menus and keys, the top bar, the status bar and the
// content views over one Session. Every command goes through the dispatcher.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "VARENTO Remote " VARENTO_TITLE_VERSION;

    MainWindow(Session& session, AppSettings& settings, Interaction& interaction,
               std::vector<ContentViewSpec> views = contentViews(), QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up after the settings have been read: the session takes them (link
    // restored, serial port probed), then the views are created.
    void start(const PersistedSettings& settings);
    // Demo units stand in for the links: no port dialog, and field 0 says so.
    void setDemo(bool demo);

    bool command(int id, int param = 0) { return dispatcher_.command(id, param); }
    CommandDispatcher& dispatcher() { return dispatcher_; }

    // Menu items and keys by command id (keys that share an id with a menu item
    // are found with keyAction()).
    QAction* action(int id) const { return actions_.value(id); }
    QAction* keyAction(int id) const { return keys_.value(id); }
    QList<QAction*> keyActions() const { return keys_.values(); }
    MyButton* topButton(int id) const;
    QComboBox* deviceSelector() const { return deviceCombo_; }
    TopBar* topBar() const { return topBar_; }
    // The text as set, "\t" included.
    QString statusText(int field) const;
    bool statusAlarm() const { return alarm_; }
    QWidget* view(ViewSlot slot) const { return views_.value(slot); }
    FrameMetrics frameMetrics() const { return frame_; }
    const ViewSizes& viewSizes() const { return viewSizes_; }
    // Settings and device list written, links closed: once, at the close or before.
    bool isShutDown() const { return shutDown_; }

signals:
    // The first paint of the window after start-up.
    void firstPaint();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildMenus();
    void buildKeys();
    void buildTopBar();
    void buildStatusBar();
    void registerCommands();
    void connectSession();
    void createViews();

    void setStatusText(int field, const QString& text);
    void showHint(const QString& text);
    void setAlarm(bool on);
    void syncChecks();
    void setEnabled(std::initializer_list<int> ids, bool enabled);

    void showLinkInUse(bool inUse);
    void onConnectedChanged(bool connected);
    void onConnectFailed(int dialogCommand);
    void onUnitListChanged(const QStringList& items, int selected);
    void onUnitIdentified(int model);
    void onOfflineModelChanged(OfflineModel model);

    void registerView(const ContentViewSpec& spec);
    const ContentViewSpec* specFor(ViewSlot slot) const;
    bool availableNow(const ContentViewSpec& spec) const;
    void hideUnitViews();
    void showOwnWindow(ViewSlot slot);
    QSize viewSize(ViewMode mode) const;

    void setViewMode(ViewMode mode);
    void relayout();
    void applySizeLimits();
    void resizeWindow(QSize windowSize);
    void measureFrame();
    void showView(ViewSlot slot, bool shown);
    void setButtonState(int id, int state);
    void showButton(int id, bool shown);
    void enableButton(int id, bool enabled);

    void about();
    void selectSerialPort();
    void selectMidi();
    void calibrate();
    void openDeviceManager();
    void startOsc();
    void showOscControl();
    // Before a show (pre_show.cpp): the project against the units, the patch on paper.
    void compareProjectWithUnits();
    void exportRoutingSheet();

public:
    // The comparison window of a project file, reading the units at once.
    void openComparison(const QString& path);

private:
    void editLabels();
    void showJournal();
    bool closeFlow();
    void shutDown();

    Session& session_;
    AppSettings& settings_;
    Interaction& interaction_;
    CommandDispatcher dispatcher_;
    std::vector<ContentViewSpec> specs_;
    QHash<int, QAction*> actions_;
    QHash<int, QAction*> keys_;
    TopBar* topBar_ = nullptr;
    QWidget* client_ = nullptr;
    QHash<int, MyButton*> buttons_;
    QComboBox* deviceCombo_ = nullptr;
    QLabel* status_[3] = {};
    QString statusTexts_[3];
    bool alarm_ = false;
    QHash<ViewSlot, QPointer<QWidget>> views_;
    FrameMetrics frame_;
    ViewSizes viewSizes_;
    QPointer<JournalWindow> journal_;
    std::unique_ptr<osc::Server> osc_;
    bool demo_ = false;
    bool painted_ = false;
    bool shutDown_ = false;
};

} // namespace varento
