#pragma once

#include "app/app_settings.h"
#include "app/app_state.h"
#include "app/device_list_store.h"
#include "app/interaction.h"
#include "app/journal.h"
#include "app/project_compare.h"
#include "app/question_guard.h"
#include "app/send_queue.h"
#include "app/spare_switcher.h"
#include "app/unit_editor.h"
#include "app/unit_reader.h"
#include "devices/device_list.h"
#include "devices/poll_engine.h"
#include "files/preset_block.h"
#include "files/project_file.h"
#include "protocol/discovered_list.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace varento {

class DemoLink;
class FrameLink;
class LinkSet;

// Command ids shared by the menus, the windows and the session.
namespace command_id {
inline constexpr int quit = 100;
inline constexpr int about = 101;
inline constexpr int connect = 103;
inline constexpr int loadRoutingPreset = 109;
inline constexpr int storeRoutingPreset = 110;
inline constexpr int relayout = 116;
inline constexpr int stopTimers = 117;
inline constexpr int restartTimers = 118;
inline constexpr int loadProjectGains = 122;
inline constexpr int setEmergencyChannel = 154;
inline constexpr int selectUnitByIndex = 184;
inline constexpr int deviceCombo = 401;
inline constexpr int enableMidi = 40009;
inline constexpr int savePreset = 40011;
inline constexpr int loadSettings = 40014;
inline constexpr int loadMatrix = 40016;
inline constexpr int offlineBase = 40017;
inline constexpr int offlinePx = 40019;
inline constexpr int factoryDefaults = 40022;
inline constexpr int loadGains = 40025;
inline constexpr int offlineLc = 40026;
inline constexpr int loadAll = 40028;
inline constexpr int connectKey = 40031;
inline constexpr int enableNetwork = 40039;
inline constexpr int offlineAes = 40041;
inline constexpr int enableSerial = 40043;
inline constexpr int selectSerialPort = 40045;
inline constexpr int selectMidi = 40007;
inline constexpr int disableRemoteOverMadi = 40054;
inline constexpr int exportLabels = 40061;
inline constexpr int importLabels = 40062;
inline constexpr int saveProject = 40064;
inline constexpr int loadProject = 40065;
inline constexpr int saveProjectAs = 40066;
} // namespace command_id

// The Offline Mode menu command of a model code, 0 for a model it does not offer.
int offlineModeCommand(int modelCode);

// The file dialog of the project files.
FileDialogOptions projectDialogOptions();

struct SessionPaths {
    std::filesystem::path dataFolder;    // device list and labels
    std::filesystem::path programFolder; // the routing preset, PresetLabel.txt
};

// The headless application: owns the unit records, the lists, the links, the
// timers and the poll engine, and runs every flow that does not draw. Views
// subscribe to its signals; it never calls a view.
class Session : public QObject {
    Q_OBJECT

public:
    static constexpr int kPollMs = 100;
    static constexpr int kSupervisionMs = 3000;
    static constexpr int kResumeMs = 250;
    static constexpr int kResumeAfterWarningMs = 10;
    static constexpr int kReconnectMs = 2000;
    // The send result of a frame addressed to a unit that is no longer found.
    static constexpr int kUnitGone = -3;
    // Load Gains paces its frames; the other loads send theirs without pauses.
    static constexpr int kLoadGainsPauseMs = 20;

    Session(Interaction& interaction, SessionPaths paths, QObject* parent = nullptr);
    ~Session() override;

    // Runs one command of the command table that has no drawing of its own.
    // Returns false for ids the session does not handle.
    bool command(int id, int param = 0);

    // The user's Connect/Disconnect; it also ends automatic reconnecting.
    void connectOrDisconnect();
    void disconnect();

    // After a link failure the same link is opened again every two seconds until
    // it opens (then the units are found and gathered again and the unit that was
    // current becomes current again) or the user connects or disconnects.
    void setReconnectAutomatically(bool on);
    bool reconnecting() const { return reconnecting_; }
    void reconnectTick();
    void selectUnit(int selectorIndex);
    void restartDiscovery();

    // Every edit goes through an editor addressed to one unit: the current one,
    // or the unit a view or dialog was opened for. An edit for a unit that is gone
    // is refused, never redirected.
    UnitEditor editor() { return UnitEditor(*this, currentUid_); }
    UnitEditor editor(const DeviceUid& unit) { return UnitEditor(*this, unit); }

    // Single edits pause polling; it resumes 250 ms after the last one.
    void pausePolling();
    void restartTimers();
    void stopTimers();

    AppState& state() { return state_; }
    const AppState& state() const { return state_; }
    // The unit the views show, by id: it changes only in setCurrentUnit(), which
    // announces currentUnitChanged. Broadcast while no unit is shown.
    const DeviceUid& currentUnit() const { return currentUid_; }
    // Its record, read-only (edits go through editor()): the unit's own record
    // while it is discovered, else the stand-in kept for offline work and for
    // what was shown when the link closed.
    const DeviceRecord& current() const;
    // A discovered unit's own record; nullptr for a unit not found.
    const DeviceRecord* unit(const DeviceUid& uid) const { return discovered_.find(uid); }
    // The unit's data has been read whole since the link opened (or, offline,
    // the stand-in is edited): dialogs that edit a unit are offered only then.
    bool unitReady(const DeviceUid& uid) const;
    // What a window calls the unit: its name in the device list, else its id.
    QString unitName(const DeviceUid& uid) const;
    // The units found, each with its own record; read-only like current().
    const DiscoveredList& discovered() const { return discovered_; }
    DeviceList& deviceList() { return deviceList_; }
    const DeviceList& deviceList() const { return deviceList_; }
    PollEngine& pollEngine() { return poll_; }
    LinkSet& links() { return *links_; }
    SendQueue& sendQueue() { return sendQueue_; }
    const SessionPaths& paths() const { return paths_; }
    Interaction& interaction() { return interaction_; }
    // The event journal (journal.log in the data folder).
    Journal& journal() { return journal_; }

    QStringList unitSelectorItems() const { return selectorItems_; }
    int selectedUnitIndex() const { return selectedUnitIndex_; }
    bool gathering() const;
    // Discovery (and a sweep over several daemons) is over: every unit that
    // answered is in the list and gathering has begun.
    bool unitsDiscovered() const { return unitsDiscovered_; }
    // Every discovered unit has been read and the first one is current again.
    bool unitsGathered() const { return unitsGathered_; }
    bool bulkTransfer() const { return state_.bulkTransfer || sendQueue_.busy(); }
    bool remoteOverMadiDisabled() const;

    // The timers, exposed so tests can drive the conversation tick by tick.
    QTimer& pollTimer() { return pollTimer_; }
    QTimer& supervisionTimer() { return supervisionTimer_; }
    QTimer& resumeTimer() { return resumeTimer_; }
    QTimer& reconnectTimer() { return reconnectTimer_; }

    // One tick of each timer, as their timeouts run them.
    void pollTick();
    void supervisionTick();
    void resumeTick();

    // A complete frame from the active link.
    void frameReceived(std::span<const std::uint8_t> frame);
    // A frame through a daemon other than the selected one: a unit found behind
    // that daemon answering a read made of it (a comparison, a switch-over's
    // read-back). It fills the unit's record but is no answer to the poll, and
    // discovery answers are the selected daemon's alone.
    void otherDaemonFrame(int daemon, std::span<const std::uint8_t> frame);

    // Labels of the current unit.
    void loadCurrentLabels();
    // Command 183: the current unit's labels stored and handed to every window;
    // a dialog bound to a unit stores that unit's (nothing once it is gone).
    void storeAndApplyLabels();
    void storeAndApplyLabels(const DeviceUid& uid);

    // The device manager closed with OK: marked units go, the list is sorted, the
    // selector is refilled and its unit selected (command 401).
    // OK: the list is applied and written; the write's failure, if any.
    std::error_code deviceManagerAccepted();
    // Who makes the edits that follow, for the journal ("OSC 10.0.0.5:9001"); empty
    // for this program's own windows.
    void setEditOrigin(const QString& origin) { editOrigin_ = origin; }
    // "No Response!" is shown: the link is open but the unit stopped answering.
    bool noResponse() const { return noResponseShown_; }
    // Writes the device list now, merged with what other programs wrote meanwhile.
    std::error_code saveDeviceList();

    // The current unit's settings as they stand, as the settings sequence.
    void sendAllSettings() { sendAllSettings(currentRecord()); }

    // Emulated units in-process stand in for every link (no socket is opened);
    // `link` replaces them with any other link, e.g. one that records frames.
    void useDemoUnits(const std::vector<int>& models = {});
    void useLinkOverride(FrameLink* link);
    DemoLink* demoLink() { return demoLink_.get(); }

    // Link choice (MIDI wins over the network; neither is the serial link).
    void selectLink(bool midi, bool network);

    // Start-up and shut-down: the device list and the remembered options.
    void start(const PersistedSettings& settings);
    PersistedSettings persistedSettings() const;
    void shutDown();

    // Presets: the whole unit to a file, and the four loads (settings, matrix, gains,
    // all), each of which also sends what it loaded to a connected unit.
    bool savePreset();
    void loadSettings();
    void loadMatrix();
    void loadGainSettings();
    void loadAll();
    // The routing preset kept next to the program, or in the data folder where the
    // program's folder takes no files; routingPresetPath is where a store writes.
    bool storeRoutingPreset();
    bool loadRoutingPreset();
    QString routingPresetPath() const;
    // Projects: every discovered unit in one file.
    void saveProject(bool saveAs);
    void loadProject(bool gainsOnly);
    // Loads by file for show control, with no dialog and no question: a preset (one
    // part, or all when `only` is empty) into one unit, or a project into those of
    // its units that are online under their own id. Frames, journal and views are
    // those of the menu loads. A unit takes one such load at a time: a second one
    // while the first is still going out is refused.
    struct FileLoad {
        QString error;    // empty when the load went out
        int datasets = 0; // a project's datasets, and the units among them loaded
        std::vector<DeviceUid> units;
        // Labels taken into a unit that could not be stored on this computer: the
        // units' names and the system's reasons. The load itself went out.
        QString labelsNotStored;
    };
    FileLoad loadPresetFile(const DeviceUid& uid, const QString& path,
                            std::optional<PresetKind> only);
    FileLoad loadProjectFile(const QString& path, bool gainsOnly,
                             const std::vector<DeviceUid>* only = nullptr);
    // Compares a project file with the units, each of its units online read afresh
    // first; `done` gets the result. The reason, and no call, when the file cannot
    // be read or a comparison is already reading.
    using CompareDone = std::function<void(const ProjectComparison&)>;
    std::optional<QString> compareProject(const QString& path, CompareDone done);
    bool comparing() const { return compareReader_ != nullptr; }
    const UnitReader* compareReader() const { return compareReader_.get(); }
    // After a comparison: the project's values (its datasets and the labels kept
    // beside it) into the units named, or their state into the project, where the
    // datasets of the other units stay as they were.
    FileLoad loadProjectInto(const QString& path, const std::vector<DeviceUid>& units);
    std::optional<QString> saveUnitsIntoProject(const QString& path,
                                                const std::vector<DeviceUid>& units);

    // Offline mode: `model` 0 leaves it.
    void setOfflineModel(OfflineModel model);

    QString windowTitle() const;

    // The spare-microphone switch-over of every unit (the trigger window, the
    // command line).
    SpareSwitcher& spareSwitcher() { return *spares_; }
    const SpareSwitcher& spareSwitcher() const { return *spares_; }
    // Queues one routing request to a discovered unit; `done` learns whether it
    // left. False, with nothing queued, while the unit or the link is not there.
    bool requestRouting(const DeviceUid& uid, SendQueue::Done done);
    // The same for cmd::requestParams, requestRouting or requestGains.
    bool requestFromUnit(const DeviceUid& uid, std::uint8_t request, SendQueue::Done done);

signals:
    void connectedChanged(bool connected);
    // Retrying a lost link: the front end shows it as connecting, so that its
    // Connect/Disconnect ends the retries.
    void reconnectingChanged(bool on);
    // Link open failed: the front end offers the link's own dialog (40045 or 40007).
    void connectFailed(int dialogCommand);
    void statusTextChanged(int field, const QString& text);
    void statusAlarmChanged(bool noResponse);
    void unitListChanged(const QStringList& items, int selected);
    void gatheringChanged();
    void discoveryFinished();
    void gatheringFinished();
    void parametersChanged();
    void routingChanged();
    // A preset or project load replaced the routing (routingChanged follows):
    // what the matrix remembers of earlier edits no longer applies.
    void routingLoaded();
    void gainsChanged();
    void levelsChanged();
    void labelsChanged();
    // Another unit is shown: every view and dialog that follows the current unit
    // refreshes from it (the data signals follow), one bound to a unit closes.
    void currentUnitChanged(const DeviceUid& uid);
    // A typed edit of the current unit.
    void edited(const UnitEdit& edit);
    // A unit's reply (cmd::paramsReply, ...) was taken into its record, changed or not.
    void replyTaken(const DeviceUid& unit, std::uint8_t reply);
    // The current unit's model is known: show its windows.
    void unitIdentified(int model);
    void offlineModelChanged(OfflineModel model);
    void linkModeChanged();
    void viewModeChanged(ViewMode mode);
    void matrixModeChanged(bool on);
    void remoteOverMadiChanged(bool disabled);
    void titleChanged(const QString& title);
    // The project's name and path for the gain window; `modified` lights its Save.
    void projectChanged(const QString& name, const QString& path, bool modified);
    // Storing the routing preset failed: the matrix window releases its button.
    void routingPresetStoreFailed();
    // Commands the front end carries out (relayout, dialogs).
    void frontEndCommand(int id, int param);

private:
    friend class UnitEditor;
    friend struct SessionTestAccess;

    void openLinkAndBeginDiscovery();
    void closeConnection();
    void linkFailed();
    void endReconnecting();
    void retriesSucceeded();
    void unitAnswersAgain();
    void showReconnecting();
    void returnToUnitBeforeLoss();
    void linkOpened(int result);
    // The labels kept beside a project, each into its own unit (by id) and its
    // store; the names and reasons of the stores that could not be written, which
    // are also said.
    QString takeProjectLabels(const QString& path, const std::vector<DeviceUid>& units);
    void takeReply(std::span<const std::uint8_t> frame, int daemon, bool polled);
    // `polled`: through the selected daemon, where the poll waits for its answers.
    void dataArrived(int changeCode, const DeviceUid& from, bool polled);
    void modelChanged(const DeviceUid& from);
    void discoveryAnswered();
    void fillUnitSelector();
    std::optional<DeviceUid> onlineUnit(int n) const;
    bool setCurrentUnit(const DeviceUid& uid);
    DeviceRecord& currentRecord();
    DeviceRecord& shadowOf(const DeviceUid& uid) { return shadows_[uid]; }
    DeviceRecord* editableUnit(const DeviceUid& uid);
    DeviceRecord& pollTarget();
    void refuseEdit(const DeviceUid& uid);
    void dropUnitsNotFound();
    void sweepFinished();
    void importLabels(const DeviceUid& uid);
    void daemonAnnounced();
    void followUnitsDaemon(const DeviceRecord& unit);
    void runPollStep(const PollStep& step);
    int sendNow(std::span<const std::uint8_t> frame);
    void linkSendFinished(int result);
    void sendOne(int length);
    void sendSequence(std::vector<SequenceStep> steps, SendQueue::Done done = {});
    void reportSendFailure(int result);
    void updateTitleMarker();
    void routingEdit(DeviceRecord& unit, int packedRange);
    void gainEdit(int length);
    void startResumeTimer(int ms);
    void unitEdited(const DeviceUid& unit, const UnitEdit& edit, int failuresBefore);
    void finishGathering();
    void releaseHeldFrames();
    void showUnit(int selectorIndex);
    void sendAllSettings(DeviceRecord& unit);
    void sendCalibration(const DeviceRecord& unit);
    void sendRoutingAll(const DeviceRecord& unit);
    // A loaded table goes out; a switch-over it `kept` (keepOnSpare) is read back.
    void sendLoadedRouting(DeviceRecord& unit, bool kept);
    void sendAllGains(const DeviceRecord& unit, int pauseMs);
    // After what a load queued: journal the load once its frames left, or as cut
    // short (and tell the user) when the link failed first.
    // `unit` is the unit a preset went to (the current one when none); `sent` runs
    // once the load's frames are out or have failed.
    void journalLoadWhenSent(JournalKind kind, const QString& path, const QString& what,
                             int failuresBefore, std::optional<DeviceUid> unit = std::nullopt,
                             std::function<void()> sent = {});
    bool readPreset(const QString& path, std::vector<std::uint8_t>& data);
    bool writePreset(const QString& path, std::uint8_t fileType,
                     std::span<const std::uint8_t> data);
    bool chooseAndReadPreset(PresetKind kind);
    bool readPresetForLoadAll(PresetKind kind);
    bool confirmLoad(const char* title, const char* text);
    void writeProject(bool saveAs);
    std::optional<DeviceUid> projectTarget(const DeviceUid& uid);
    // A read project into the units `target` finds for its datasets. A menu load
    // makes it the project of the title, the gain window and Save; a load of some
    // units (a cue, the comparison window) leaves the project the user works on
    // alone. Returns the units loaded.
    std::vector<DeviceUid>
    applyProject(const QString& path, const std::vector<ProjectDataset>& datasets, bool gainsOnly,
                 const std::function<std::optional<DeviceUid>(const DeviceUid&)>& target,
                 const QString& origin, int failuresBefore, bool becomesProject = true);
    bool remoteLoadRefused(const std::vector<DeviceUid>& units, FileLoad& load) const;
    // Journal entries of the flows above (session_journal.cpp).
    void journalLinkOpened(int result);
    void journalLinkLost();
    void journalLinkRegained();
    void journalUnitsFound();
    void loadLabelsOfFoundUnits();
    void journalGathered();
    void journalResponse(bool answering);
    void journalEdit(const DeviceUid& unit, const QString& what, bool sent);
    void journalFile(JournalKind kind, const QString& path, const QString& what = {},
                     std::optional<DeviceUid> unit = std::nullopt);

    QuestionGuard interaction_;
    SessionPaths paths_;
    Journal journal_{paths_.dataFolder};
    AppState state_;
    DeviceUid currentUid_ = DeviceUid::broadcast();
    // What current() shows when no discovered unit is current: the offline unit,
    // the last unit shown once the link closed, the search while connecting.
    DeviceRecord standIn_;
    // Each unit's record lives in its node, its copy for change detection here.
    DiscoveredList discovered_;
    std::map<DeviceUid, DeviceRecord> shadows_;
    DeviceRecord standInShadow_;
    // The unit gathering reads now; polling asks the current one.
    std::optional<DeviceUid> gatherUid_;
    // Units whose whole data was read since the link opened.
    std::set<DeviceUid> readUnits_;
    // Units known before a restarted discovery that have not answered it yet.
    std::set<DeviceUid> notFoundAgain_;
    DeviceList deviceList_;
    DeviceListStore deviceStore_{paths_.dataFolder};
    QString editOrigin_;
    PollEngine poll_;
    std::unique_ptr<LinkSet> links_;
    std::unique_ptr<DemoLink> demoLink_;
    SendQueue sendQueue_;
    // Frames the link has taken and not yet reported, oldest first.
    enum class PendingSend { Queued, Poll };
    std::deque<PendingSend> pendingSends_;
    QTimer pollTimer_;
    QTimer supervisionTimer_;
    QTimer resumeTimer_;
    QTimer reconnectTimer_;
    bool reconnecting_ = false;
    // Reopened after a loss, no unit has answered yet: still quiet, not regained.
    bool regainUnconfirmed_ = false;
    std::optional<DeviceUid> unitBeforeLoss_; // current when the link was lost
    FrameBuffer sendBuffer_{};
    QStringList selectorItems_;
    int selectedUnitIndex_ = 0;
    bool replySeen_ = false;
    bool firmwareChecked_ = false;
    bool matrixEdit_ = false;
    bool unitsDiscovered_ = false;
    bool unitsGathered_ = false;
    struct HeldFrame {
        int otherDaemon; // -1: through the selected daemon or another link
        std::vector<std::uint8_t> bytes;
    };
    std::vector<HeldFrame> heldFrames_; // arrived while a question was open
    QString loadAllFile_;                               // kept between the three reads of Load All
    QString loadedFile_;                                // the file the last single load read
    QString projectWritePath_;             // where Save (not Save As) writes the project
    std::set<DeviceUid> fileLoadsSending_; // remote loads whose frames are not all out
    std::unique_ptr<UnitReader> compareReader_;
    std::unique_ptr<SpareSwitcher> spares_;
    std::vector<DeviceUid> journaledUnits_; // found since the link opened
    bool noResponseShown_ = false;
};

} // namespace varento
