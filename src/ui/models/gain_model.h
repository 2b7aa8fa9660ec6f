#pragma once

#include "protocol/device_uid.h"
#include "ui/models/fader_group.h"
#include "ui/models/gain_layout.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace varento {

class Session;

// The gain window's rules without widgets: the 32 microphone strips of the current
// unit (gain, P48, PAD), the GPO bits, the display options and reference level,
// the Switch Device column with one fader selection per unit, and the project
// texts and buttons. Edits go through the session's UnitEditor; commands the main
// window carries out (unit selection, project files) go to the command sink.
//
// The faders belong to the window (or a test) and are attached in strip order;
// the model drives their positions, PAD and display from the unit and turns
// their reports into edits through its FaderGroup.
class GainModel : public QObject {
    Q_OBJECT

public:
    static constexpr int kChannels = gain_layout::kChannels;
    static constexpr int kPages = gain_layout::kPages;
    // Display option bits, as kept in the settings.
    static constexpr int kShowGainValue = 0x01;
    static constexpr int kShowPeakHold = 0x10;
    enum class Gpo { Invert = 0, One = 1, Two = 2 };
    // What the main window is asked to do.
    using Commands = std::function<void(int id, int param)>;

    explicit GainModel(Session& session, FaderGroup::Clock clock = {}, QObject* parent = nullptr);

    void attach(const std::vector<FaderModel*>& faders);
    void setCommandSink(Commands sink) { commands_ = std::move(sink); }
    FaderGroup& group() { return group_; }

    // ---- from the unit ----
    // Buttons, fader positions (not while a group move or a drag is under way: the
    // new gains are only in the faders then), GPO bits, and the Switch Device
    // texts. Returns the number of Switch Device buttons filled.
    int refresh();
    // The unit with this id became current: its Switch Device button lights and
    // its page of the selection comes back.
    void selectUnit(const DeviceUid& uid);
    void applyLabels();
    // A project was saved, loaded or changed (`light`: its Save button lights).
    void setProject(const QString& snapshotName, const QString& projectPath, bool light);

    // ---- what the window shows ----
    bool p48(int c) const;
    bool pad(int c) const;
    bool gpo(Gpo which) const;
    int displayOptions() const { return displayOptions_; }
    bool peakHold() const { return (displayOptions_ & kShowPeakHold) != 0; }
    bool gainValueShown() const { return (displayOptions_ & kShowGainValue) != 0; }
    int referenceLevel() const { return referenceLevel_; } // 0: none chosen
    int currentGainPage() const { return page_; }
    QString switchDeviceText(int n) const { return switches_.at(static_cast<size_t>(n)).text; }
    bool switchDeviceOn(int n) const { return switchOn_ == n; }
    // The channel numbers count on from the unit of the lit button (1-32 for none).
    int numberingPage() const { return qMax(0, switchOn_); }
    QString snapshotText() const { return snapshotText_; }
    QString projectText() const { return projectText_; }
    bool saveLit() const { return saveLit_; }

    // ---- the user's actions ----
    void setP48(int c, bool on);
    void setPad(int c, bool on);
    void setGpo(Gpo which, bool on);
    // The NumPad keys: the button flips and acts as if clicked.
    void toggleGpo(Gpo which);
    void setPeakHold(bool on);
    void setGainValueShown(bool on);
    void setReferenceLevel(int level);
    // Switch Device button n (0-3). A button without a unit ("N/A") does not stay on.
    void clickSwitchDevice(int n);
    void save();
    void saveAs();
    void load();

    // The two texts of a project: the snapshot name without its extension, and
    // the folder the project file is in (or the whole path without a name).
    struct ProjectTexts {
        QString snapshot;
        QString project;
    };
    static ProjectTexts projectTexts(const QString& snapshotName, const QString& projectPath);
    static const QString kNoSnapshot;
    static const QString kNoProject;

signals:
    // A button, text or option changed: the window repaints.
    void changed();

private:
    struct Page {
        std::vector<bool> flags;
        std::optional<int> anchor;
    };
    struct SwitchDevice {
        QString text = QStringLiteral("N/A");
        std::optional<DeviceUid> uid;
    };

    FaderModel& fader(int c) const { return *faders_.at(static_cast<size_t>(c)); }
    void setSwitch(int c, std::uint8_t bit, bool on);
    void commitAll();
    void usePage(int page);
    std::optional<int> selectorIndexOf(const DeviceUid& uid) const;
    void command(int id, int param);

    Session& session_;
    FaderGroup group_;
    std::vector<FaderModel*> faders_;
    Commands commands_;
    std::array<Page, kPages> pages_{};
    int page_ = 0;
    std::optional<DeviceUid> lastCurrent_;
    std::array<SwitchDevice, kPages> switches_{};
    int switchOn_ = 0;
    int displayOptions_ = 0;
    int referenceLevel_ = 0;
    QString snapshotText_;
    QString projectText_;
    bool saveLit_ = false;
};

} // namespace varento
