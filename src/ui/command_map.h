// The window's message map: which event from which source runs which handler. The window
// builds it once, every row in one place.
#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace velmora {

enum class WindowEvent {
    Clicked,            // a button's click; id = the button
    Command,            // a menu command; id = the command
    ListColumnClick,    // id = the list; param = the column
    ListRightClick,     // id = the list; x, y = screen position
    ListDoubleClick,    // id = the list
    Timer,              // id = the timer
    DeviceListChanged,  // the phone library's refresh notification
    FilesDropped,       // id = the list; paths = the dropped local paths
    HelpRequest,        // F1
    Cancel,             // Escape or the close box
};

struct EventArgs {
    std::int32_t param = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::vector<std::string> paths = {};
};

struct EventKey {
    WindowEvent event = WindowEvent::Command;
    int id = 0;
    friend auto operator<=>(const EventKey&, const EventKey&) = default;
};

class CommandMap {
  public:
    using Handler = std::function<void(const EventArgs&)>;

    // Adds a row or replaces the handler of an existing one (a test's spy).
    void Set(EventKey key, Handler handler);
    // Runs the row's handler; false when no row matches.
    bool Dispatch(EventKey key, const EventArgs& args = {}) const;
    bool Has(EventKey key) const;

  private:
    std::map<EventKey, Handler> m_rows;
};

}  // namespace velmora
