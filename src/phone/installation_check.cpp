#include "phone/installation_check.h"

#include <array>
#include <filesystem>
#include <optional>
#include <system_error>

namespace velmora {

namespace {

// The library reads each value into a 260-byte buffer.
constexpr std::size_t kValueChars = 259;

struct InstallationValue {
    const char* name;
    const char* written;  // after the program folder when inFolder
    bool inFolder;
    const char* testedSuffix;  // nullptr: no file behind the value
};

constexpr std::array<InstallationValue, 6> kValues = {{
    {"FileName", "PST.DLL", true, ""},
    {"TCIFilename", "unibus_prj_engine.dll", true, ""},
    {"TCIP2KCommandSets", "P2K Test Commands Version 40_1", true, ".tdb"},
    {"TCICDMALegacyCommandSets", "CDMA Test Commands Version9_9", true, ".tdb"},
    {"TCITDMALegacyCommandSets", "TDMA Test Commands Version77", true, ".tdb"},
    {"TCIFriendlyName", "Test Cmd Engine", false, nullptr},
}};

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error) && !error;
}

bool InstallationComplete(const SettingsStore& installation) {
    if (!installation.KeyExists()) return false;
    std::array<std::string, kValues.size()> texts;
    // All six must read before any file is looked at.
    for (std::size_t i = 0; i < kValues.size(); ++i) {
        std::optional<std::string> text = installation.ReadText(kValues[i].name);
        if (!text) return false;
        texts[i] = text->substr(0, kValueChars);
    }
    for (std::size_t i = 0; i < kValues.size(); ++i) {
        if (kValues[i].testedSuffix && !FileExists(texts[i] + kValues[i].testedSuffix))
            return false;
    }
    return true;
}

}  // namespace

std::string ProgramFolder(std::string_view executablePath) {
    auto slash = executablePath.rfind('/');
    if (slash == std::string_view::npos) return {};
    return std::string(executablePath.substr(0, slash + 1));
}

InstallationResult CheckInstallation(SettingsStore& installation,
                                     const std::string& programFolder) {
    if (InstallationComplete(installation)) return InstallationResult::Complete;

    if (!installation.KeyExists() && !installation.CreateKey())
        return InstallationResult::RewriteFailed;
    bool allWritten = true;
    for (const auto& value : kValues) {
        std::string text = value.inFolder ? programFolder + value.written : value.written;
        allWritten = installation.Write(value.name, text) && allWritten;
    }
    return allWritten ? InstallationResult::Rewritten : InstallationResult::RewriteFailed;
}

}  // namespace velmora
