#pragma once

#include "app/session.h"

// The ids of the command table that only the front end handles: views, dialogs
// and keys. The ids Session runs are in session.h.
namespace varento::command_id {
inline constexpr int matrixButton = 115;
inline constexpr int gainButton = 119;
inline constexpr int buttonView = 120;
inline constexpr int meterbridgeButton = 121;
inline constexpr int editLabels = 40056;
inline constexpr int deviceManager = 40047;
inline constexpr int savePresetKey = 40037;
inline constexpr int calibration = 40052;
inline constexpr int matrixDragging = 40063;
inline constexpr int matrixViewKey = 40033;
inline constexpr int gainViewKey = 40034;
inline constexpr int deviceViewKey = 40036;
inline constexpr int buttonViewKey = 40020;
inline constexpr int meterbridgeKey = 40049;
inline constexpr int gpo1Key = 40067;
inline constexpr int gpo2Key = 40068;
inline constexpr int noEffectF4 = 40001;
inline constexpr int noEffectF5 = 40057;
// Command > "DR Spare Mic Switch...": shows the trigger window, which nothing else opens.
inline constexpr int drSpareMicSwitch = 40080;
// Settings > "Reconnect Automatically": retry a lost link every two seconds.
inline constexpr int reconnectAutomatically = 40082;
// Settings > "OSC Control...": the show-control server's settings.
inline constexpr int oscControl = 40083;
// File > "Compare Project with Units..." and "Export Routing Sheet...".
inline constexpr int compareProject = 40084;
inline constexpr int exportRoutingSheet = 40085;
// Help > "Journal": the event journal's window.
inline constexpr int journal = 40081;
} // namespace varento::command_id
