// The benchmarks run on the window's thread: every call to it runs inline.
#pragma once

#include <functional>

#include "base/ui_thread.h"

namespace velmora {

class CallingThread : public UiThread {
  public:
    bool Invoke(std::function<void()> task) override {
        task();
        return true;
    }
    void Post(std::function<void()> task) override { task(); }
    bool IsUiThread() const override { return true; }
};

}  // namespace velmora
