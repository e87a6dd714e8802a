// Scripted stand-ins for the ports, shared by the headless tests.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/prompts.h"
#include "base/settings_store.h"
#include "base/status_sink.h"

namespace velmora::test {

// Records every box; answers from a script, then with the first button's answer.
class FakePrompts : public Prompts {
  public:
    PromptAnswer MessageBox(const MessageBoxRequest& request) override;
    std::optional<std::string> SaveFile(const SaveFileRequest& request) override;
    std::vector<std::string> OpenFiles(const OpenFilesRequest& request) override;
    // Answers from conflictAnswers, then Replace (the first button) where offered, else Keep
    // both.
    ConflictAnswer AskConflict(const ConflictRequest& request) override;

    std::vector<MessageBoxRequest> Boxes() const;
    std::vector<ConflictRequest> Conflicts() const;
    std::vector<std::string> Texts() const;  // the boxes' texts, in order
    void Clear();

    std::deque<PromptAnswer> answers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<std::vector<std::string>> openAnswers;
    std::deque<ConflictAnswer> conflictAnswers;
    std::vector<SaveFileRequest> saveRequests;
    std::vector<OpenFilesRequest> openRequests;
    // Runs while the save dialog is "open", as the user takes time to answer it.
    std::function<void()> whileSaving;

  private:
    mutable std::mutex m_mutex;
    std::vector<MessageBoxRequest> m_boxes;
    std::vector<ConflictRequest> m_conflicts;
};

// An in-memory key with case-insensitive names; can pretend to be missing or read-only.
class MemorySettingsStore : public SettingsStore {
  public:
    explicit MemorySettingsStore(bool exists = true) : m_exists(exists) {}
    bool KeyExists() const override;
    bool CreateKey() override;
    std::optional<SettingValue> Read(std::string_view name) const override;
    bool Write(std::string_view name, const SettingValue& value) override;

    void Set(std::string_view name, SettingValue value);  // bypasses the failure switches
    void Erase(std::string_view name);
    int writes() const;
    bool failCreate = false;
    bool failWrite = false;

  private:
    static std::string Key(std::string_view name);
    mutable std::mutex m_mutex;
    bool m_exists;
    int m_writes = 0;
    std::map<std::string, SettingValue> m_values;
};

// Records the status parts and counts wait cursors.
class RecordingStatus : public StatusSink {
  public:
    void SetStatusText(int part, const std::string& text) override;
    void ShowWaitCursor() override;
    std::string Text(int part) const;
    std::vector<std::string> History(int part) const;
    int waitCursors() const;

  private:
    mutable std::mutex m_mutex;
    std::map<int, std::vector<std::string>> m_history;
    int m_waitCursors = 0;
};

// A clock the test moves by hand, also while a worker reads it, and the C library's
// generator, seeded.
class FakeClock : public Clock {
  public:
    std::int64_t NowSeconds() override { return now.load(); }
    void Seed(unsigned seed) override { m_state = seed; }
    int Rand() override;
    std::atomic<std::int64_t> now{1000};

  private:
    unsigned m_state = 1;
};

// A job or query starter that runs the worker at once on the calling thread, the window's.
inline bool RunAtOnce(std::function<void()> worker) {
    worker();
    return true;
}

}  // namespace velmora::test
