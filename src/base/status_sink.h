// Where phone commands report: the status bar's parts and the wait cursor. The window
// implements it; calls may come from any thread.
#pragma once

#include <string>

namespace velmora {

// The status bar's five parts.
inline constexpr int kConnectionStatusPart = 0;  // the phone's icon
inline constexpr int kInterfaceStatusPart = 1;   // the interface's icon
inline constexpr int kPathStatusPart = 2;        // the selected path; a transfer's times
inline constexpr int kFreeSpaceStatusPart = 3;   // the volume's free space; a transfer's rate
inline constexpr int kStatusMessagePart = 4;     // every command's progress, result or error
inline constexpr int kStatusParts = 5;

class StatusSink {
  public:
    virtual ~StatusSink() = default;
    virtual void SetStatusText(int part, const std::string& text) = 0;
    virtual void ShowWaitCursor() = 0;
};

}  // namespace velmora
