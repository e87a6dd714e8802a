#include "ui/command_map.h"

#include <utility>

namespace velmora {

void CommandMap::Set(EventKey key, Handler handler) {
    m_rows[key] = std::move(handler);
}

bool CommandMap::Dispatch(EventKey key, const EventArgs& args) const {
    const auto it = m_rows.find(key);
    if (it == m_rows.end()) return false;
    // A handler may replace its own row (a menu rebuilt from inside a command): run a copy.
    const Handler handler = it->second;
    if (handler) handler(args);
    return true;
}

bool CommandMap::Has(EventKey key) const {
    return m_rows.contains(key);
}

}  // namespace velmora
