#pragma once

#include <QString>

namespace varento {

enum class ViewMode { Device = 1, Matrix = 2, Gain = 3, Button = 4 };

// The offline models of the Offline Mode menu; at most one is active.
enum class OfflineModel { None, Base, Px, Lc, Aes };

// Process-wide flags of the running application.
struct AppState {
    bool isConnected = false;
    ViewMode viewMode = ViewMode::Device;
    bool midiMode = false;
    bool networkMode = false; // both false: the serial link
    OfflineModel offlineModel = OfflineModel::None;
    bool bulkTransfer = false;
    bool settingsSaved = true;
    bool matrixSaved = true;
    bool gainsSaved = true;
    bool displayFwWarning = true;
    int lastEmergencyChannel = -1; // the spare input; none chosen yet
    int gainDisplayOptions = 0;
    int gainReferenceLevel = 0;
    bool matrixDraggingMode = true;
    bool reconnectAutomatically = true; // after a link failure, not after the user's Disconnect
    QString lastSnapshotFileName;       // file name of the last project
    QString lastSnapshotFileDirectory;  // its full path
    QString programFolder;

    bool offline() const { return offlineModel != OfflineModel::None; }
    bool allSaved() const { return settingsSaved && matrixSaved && gainsSaved; }
};

} // namespace varento
