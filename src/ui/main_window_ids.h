// The main window's control, menu-command, timer and string ids. The ids are the window's
// long-standing dialog ids, which the string table also uses for the tooltips.
#pragma once

namespace velmora {

// Controls.
inline constexpr int kIdFileList = 1000;
inline constexpr int kIdTree = 1001;
inline constexpr int kIdProgress = 1002;
inline constexpr int kIdGetFileList = 1003;
inline constexpr int kIdDownload = 1004;
inline constexpr int kIdDeviceList = 1005;
inline constexpr int kIdSearchMask = 1006;
inline constexpr int kIdSearch = 1007;
inline constexpr int kIdFileProgress = 1008;
inline constexpr int kIdInterrupt = 1009;
inline constexpr int kIdUpload = 1010;
inline constexpr int kIdDelete = 1013;
inline constexpr int kIdFillSpace = 1014;
inline constexpr int kIdRestart = 1015;
inline constexpr int kIdSuspend = 1016;
inline constexpr int kIdLeaveBytes = 1026;
inline constexpr int kIdLeaveBytesLabel = 1027;
inline constexpr int kIdUploadPath = 1028;
inline constexpr int kIdStatusBar = 123;

// Main menu.
inline constexpr int kCmdExit = 32809;
inline constexpr int kCmdUsb = 32773;
inline constexpr int kCmdRs232 = 32774;
inline constexpr int kCmdViewIcons = 32801;
inline constexpr int kCmdViewList = 32797;
inline constexpr int kCmdViewSmallIcons = 32798;
inline constexpr int kCmdViewTable = 32799;
inline constexpr int kCommandEnglish = 32805;
inline constexpr int kCommandRussian = 32818;
// Languages beyond those two, in the Language menu's order.
inline constexpr int kCommandFirstOtherLanguage = 32850;
inline constexpr int kOtherLanguageCommands = 40;
inline constexpr int kCmdAbout = 32777;
inline constexpr int kCmdHelp = 32804;

// Context menu of the file list.
inline constexpr int kCmdSortName = 32781;
inline constexpr int kCmdSortSize = 32782;
inline constexpr int kCmdSortType = 32783;
inline constexpr int kCmdProperties = 32784;
inline constexpr int kCmdContextDownload = 32785;
inline constexpr int kCmdContextDelete = 32786;
inline constexpr int kCmdContextIcons = 32802;
inline constexpr int kCmdContextList = 59410;
inline constexpr int kCmdContextSmallIcons = 32790;
inline constexpr int kCmdContextTable = 32788;

// Input checks the commands on rows share; the jobs' own is transfer/job.h's.
inline constexpr int kStrFileNotSelected = 120;

// The interface's status icons; the phone's are the session's (phone/session_window.h).
inline constexpr int kIconUsb = 143;
inline constexpr int kIconRs232 = 144;

}  // namespace velmora
