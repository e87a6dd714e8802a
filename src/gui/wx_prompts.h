// Message boxes and file dialogs with wx, owned by the main window and shown on its thread;
// workers reach them through the window's job channel.
#pragma once

#include <atomic>
#include <functional>

#include "base/prompts.h"

class wxWindow;

namespace velmora {

class WxPrompts : public Prompts {
  public:
    // A call from another thread shows nothing and gets the answer of a box that could not be
    // shown: wx is the window's thread's only.
    WxPrompts() = default;

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
    // Runs task when called on the window's thread and the owner is open; false otherwise.
    bool OnWindowThread(const std::function<void()>& task);

    wxWindow* m_parent = nullptr;
    std::atomic<bool> m_closed{false};
    Prompts* m_standIn = nullptr;
};

}  // namespace velmora
