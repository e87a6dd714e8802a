// The settings port on a desktop without the registry: one key is one wxFileConfig file in
// the user's XDG config folder. The file keeps no value types of its own, so every value is
// tagged with its type ("dword:1", "sz:text", "binary:<base64>").
#pragma once

#include <mutex>
#include <string>

#include "base/settings_store.h"
#include "base/user_folders.h"

namespace velmora {

class FileConfigStore : public SettingsStore {
  public:
    explicit FileConfigStore(std::string filePath);

    // The key exists when its file does.
    bool KeyExists() const override;
    // Creates the folder and an empty file; an existing file is left as it is.
    bool CreateKey() override;
    // Nothing when the file or the value is missing, or the value is untagged or unparsable:
    // the port has no other type to give.
    std::optional<SettingValue> Read(std::string_view name) const override;
    // Rewrites the file at once (through a temporary file, so a failed write leaves the old
    // one). Refuses names wxFileConfig would take as paths and texts that are not UTF-8. A file
    // with text but not one entry or group in it is no settings file: it is first renamed to
    // "<file>.bad", with a line on standard error, and the value goes into a new file.
    bool Write(std::string_view name, const SettingValue& value) override;

  private:
    std::string m_filePath;
    mutable std::mutex m_mutex;  // wxFileConfig is not thread-safe; callers may be workers
};

// settings.conf in the program's folder of the user's config folder (~/.config/Velmora).
std::string UserSettingsPath(const UserFolders& folders);
// The phone library's installation entries, kept in our own folder beside the user settings.
std::string InstallationSettingsPath(const UserFolders& folders);

}  // namespace velmora
