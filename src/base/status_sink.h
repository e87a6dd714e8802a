// Where phone commands report: the status bar's parts and the wait cursor. The window
// implements it; calls may come from any thread.
#pragma once

#include <string>

namespace velmora {

// Status bar part that takes every command's progress, result or error.
inline constexpr int kStatusMessagePart = 4;

class StatusSink {
public:
    virtual ~StatusSink() = default;
    virtual void SetStatusText(int part, const std::string& text) = 0;
    virtual void ShowWaitCursor() = 0;
};

}  // namespace velmora
