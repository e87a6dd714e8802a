// The window's thread for workers: closures carried over with wx's CallAfter. A waiting
// worker gives up once the window is gone, so that leaving while a job runs never hangs.
#pragma once

#include <memory>

#include "base/ui_thread.h"

class wxEvtHandler;

namespace velmora {

class WxUiThread : public UiThread {
  public:
    // Construct on the window's thread; target must outlive every call until Shutdown.
    explicit WxUiThread(wxEvtHandler& target);
    ~WxUiThread() override;

    bool Invoke(std::function<void()> task) override;
    void Post(std::function<void()> task) override;
    bool IsUiThread() const override;

    // The window is going: nothing queued runs any more and every waiting Invoke returns
    // false. Call on the window's thread before the target is destroyed.
    void Shutdown();

  private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

}  // namespace velmora
