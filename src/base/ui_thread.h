// The way workers reach the window's thread: what a synchronous window message was (Invoke)
// and a posted one (Post). Both keep the order in which one thread issues them.
#pragma once

#include <functional>

namespace velmora {

class UiThread {
public:
    virtual ~UiThread() = default;
    // Runs the closure on the window's thread and returns when it has run. Runs it inline when
    // already there. Returns false when the window is gone and the closure was not run.
    virtual bool Invoke(std::function<void()> task) = 0;
    // Queues the closure for the window's thread and returns at once.
    virtual void Post(std::function<void()> task) = 0;
    virtual bool IsUiThread() const = 0;
};

}  // namespace velmora
