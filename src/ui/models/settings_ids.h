#pragma once

// Control ids of the two settings dialogs (templates 106 and 162); the views use
// them as object names, so tests and the models address the same controls.
namespace varento::settings_id {

inline constexpr int ok = 1;
inline constexpr int cancel = 2;
inline constexpr int clockWck = 1005;
inline constexpr int clockMadi = 1006;
inline constexpr int clockInt = 1007;
inline constexpr int term = 1008;
inline constexpr int rate = 1009;
inline constexpr int madi56 = 1010;
inline constexpr int madi96k = 1011;
inline constexpr int analogIn = 1012;
inline constexpr int analogOut = 1013;
inline constexpr int clockAes = 1014; // extended only
inline constexpr int matrixMode = 1016;
inline constexpr int bankLow = 1017;  // "1..32", unit dialog only
inline constexpr int bankHigh = 1018; // "33..64", unit dialog only
inline constexpr int fanSlow = 1019;
inline constexpr int fanFast = 1020;
inline constexpr int safeMode = 1021;
inline constexpr int apply = 1022;
inline constexpr int src1 = 1025; // extended: 1025..1028, one per group of eight
inline constexpr int srcGroup = 1029;
inline constexpr int aesOut = 1030;
inline constexpr int userbit = 1031;
inline constexpr int redundancy = 1032;
inline constexpr int remoteLabel = 1033;
inline constexpr int daOut = 1034;
inline constexpr int out1To32 = 1035;
inline constexpr int out33To64 = 1036;
inline constexpr int speed2 = 1038;
inline constexpr int usbEmbedder = 1044;
inline constexpr int displayDark = 1046;
inline constexpr int aesOutLabel = 1047;
inline constexpr int daOutLabel = 1048;
inline constexpr int remotePort = 1055;
inline constexpr int identify = 1056;
inline constexpr int ledDim = 1059;
inline constexpr int extendedRouting = 1060;
inline constexpr int redundancyGroup = 1061;
inline constexpr int speed4 = 1062;
inline constexpr int delayCompensation = 1078;

} // namespace varento::settings_id

namespace varento::owner_command {
// What a settings dialog asks of the window that opened it.
inline constexpr int sendAllSettings = 115;
inline constexpr int sendIdentify = 116;
} // namespace varento::owner_command
