// The window's models belong to the thread that made them, the window's: workers reach them
// only through the window's job channel. Their mutators call Check(), which in a debug build
// stops the program at a call from any other thread instead of letting it race; a release
// build keeps nothing of it.
#pragma once

#include <cassert>
#include <thread>

namespace velmora {

class WindowThreadCheck {
  public:
    void Check() const {
        assert(std::this_thread::get_id() == m_owner && "a window model touched off its thread");
    }

  private:
#ifndef NDEBUG
    std::thread::id m_owner = std::this_thread::get_id();
#endif
};

}  // namespace velmora
