// Message boxes and file dialogs with wx, owned by the main window and always shown on its
// thread: a worker's call is carried over and waits for the answer.
#pragma once

#include <atomic>

#include "base/prompts.h"
#include "base/ui_thread.h"

class wxWindow;

namespace velmora {

class WxPrompts : public Prompts {
  public:
    // Without a UiThread every call must come from the window's thread (start-up boxes).
    explicit WxPrompts(UiThread* ui = nullptr) : m_ui(ui) {}

    // The boxes' owner; null shows them without one.
    void SetParent(wxWindow* parent) { m_parent = parent; }
    // The owner is closing: from now on nothing is shown and every call gets the answer of a
    // box that could not be shown. Any thread.
    void Close() { m_closed.store(true); }
    // Answers every call from standIn, still on the window's thread, instead of showing a
    // box or dialog: for runs that script the user's answers. Null shows them again.
    void SetStandIn(Prompts* standIn) { m_standIn = standIn; }

    PromptAnswer MessageBox(const MessageBoxRequest& request) override;
    std::optional<std::string> SaveFile(const SaveFileRequest& request) override;
    std::vector<std::string> OpenFiles(const OpenFilesRequest& request) override;
    ConflictAnswer AskConflict(const ConflictRequest& request) override;

  private:
    // Runs on the window's thread; false when it could not (the window is gone).
    bool OnWindowThread(const std::function<void()>& task);

    UiThread* m_ui;
    wxWindow* m_parent = nullptr;
    std::atomic<bool> m_closed{false};
    Prompts* m_standIn = nullptr;
};

}  // namespace velmora
