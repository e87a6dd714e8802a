#include "support/fakes.h"

#include <algorithm>
#include <cctype>

namespace velmora::test {

PromptAnswer FakePrompts::MessageBox(const MessageBoxRequest& request) {
    std::lock_guard lock(m_mutex);
    m_boxes.push_back(request);
    if (!answers.empty()) {
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return request.buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
}

std::optional<std::string> FakePrompts::SaveFile(const SaveFileRequest& request) {
    if (whileSaving) whileSaving();
    std::lock_guard lock(m_mutex);
    saveRequests.push_back(request);
    if (saveAnswers.empty()) return std::nullopt;
    auto answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

std::vector<std::string> FakePrompts::OpenFiles(const OpenFilesRequest& request) {
    std::lock_guard lock(m_mutex);
    openRequests.push_back(request);
    if (openAnswers.empty()) return {};
    auto answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

ConflictAnswer FakePrompts::AskConflict(const ConflictRequest& request) {
    std::lock_guard lock(m_mutex);
    m_conflicts.push_back(request);
    if (!conflictAnswers.empty()) {
        auto answer = conflictAnswers.front();
        conflictAnswers.pop_front();
        return answer;
    }
    return {request.replaceOffered ? ConflictChoice::Replace : ConflictChoice::KeepBoth, false};
}

std::vector<ConflictRequest> FakePrompts::Conflicts() const {
    std::lock_guard lock(m_mutex);
    return m_conflicts;
}

std::vector<MessageBoxRequest> FakePrompts::Boxes() const {
    std::lock_guard lock(m_mutex);
    return m_boxes;
}

std::vector<std::string> FakePrompts::Texts() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> texts;
    for (const auto& box : m_boxes) texts.push_back(box.text);
    return texts;
}

void FakePrompts::Clear() {
    std::lock_guard lock(m_mutex);
    m_boxes.clear();
    m_conflicts.clear();
}

std::string MemorySettingsStore::Key(std::string_view name) {
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}

bool MemorySettingsStore::KeyExists() const {
    std::lock_guard lock(m_mutex);
    return m_exists;
}

bool MemorySettingsStore::CreateKey() {
    std::lock_guard lock(m_mutex);
    if (failCreate) return m_exists;
    m_exists = true;
    return true;
}

std::optional<SettingValue> MemorySettingsStore::Read(std::string_view name) const {
    std::lock_guard lock(m_mutex);
    if (!m_exists) return std::nullopt;
    auto it = m_values.find(Key(name));
    if (it == m_values.end()) return std::nullopt;
    return it->second;
}

bool MemorySettingsStore::Write(std::string_view name, const SettingValue& value) {
    std::lock_guard lock(m_mutex);
    if (!m_exists || failWrite) return false;
    m_values[Key(name)] = value;
    ++m_writes;
    return true;
}

void MemorySettingsStore::Set(std::string_view name, SettingValue value) {
    std::lock_guard lock(m_mutex);
    m_values[Key(name)] = std::move(value);
}

void MemorySettingsStore::Erase(std::string_view name) {
    std::lock_guard lock(m_mutex);
    m_values.erase(Key(name));
}

int MemorySettingsStore::writes() const {
    std::lock_guard lock(m_mutex);
    return m_writes;
}

void RecordingStatus::SetStatusText(int part, const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_history[part].push_back(text);
}

void RecordingStatus::ShowWaitCursor() {
    std::lock_guard lock(m_mutex);
    ++m_waitCursors;
}

std::string RecordingStatus::Text(int part) const {
    std::lock_guard lock(m_mutex);
    auto it = m_history.find(part);
    return it == m_history.end() || it->second.empty() ? std::string() : it->second.back();
}

std::vector<std::string> RecordingStatus::History(int part) const {
    std::lock_guard lock(m_mutex);
    auto it = m_history.find(part);
    return it == m_history.end() ? std::vector<std::string>() : it->second;
}

int RecordingStatus::waitCursors() const {
    std::lock_guard lock(m_mutex);
    return m_waitCursors;
}

int FakeClock::Rand() {
    m_state = m_state * 1103515245u + 12345u;
    return static_cast<int>((m_state / 65536u) % 32768u);
}

}  // namespace velmora::test
