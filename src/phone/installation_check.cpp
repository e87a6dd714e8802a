#include "phone/installation_check.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace velmora {

namespace {

// The library reads each value into a 260-byte buffer.
constexpr std::size_t kValueChars = 259;

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && !error;
}

std::optional<std::string> ReadValue(const SettingsStore& installation, const std::string& name) {
    std::optional<std::string> text = installation.ReadText(name);
    if (!text || text->empty()) return std::nullopt;
    return text->substr(0, kValueChars);
}

// The library FileName names, when it and everything it needs are there.
std::optional<std::string> UsableLibrary(const SettingsStore& installation,
                                         const PstNeedsLookup& needsOf) {
    if (!installation.KeyExists()) return std::nullopt;
    std::optional<std::string> library = ReadValue(installation, kPstFileNameValue);
    if (!library || !FileExists(*library)) return std::nullopt;
    for (const PstNeededValue& needed : needsOf(*library)) {
        std::optional<std::string> text = ReadValue(installation, needed.name);
        if (!text || (needed.namesFile && !FileExists(*text))) return std::nullopt;
    }
    return library;
}

}  // namespace

std::string ProgramFolder(std::string_view executablePath) {
    auto slash = executablePath.rfind('/');
    if (slash == std::string_view::npos) return {};
    return std::string(executablePath.substr(0, slash + 1));
}

std::vector<std::string> BundledLibraryPlaces(const std::string& programFolder,
                                              const char* library) {
    namespace fs = std::filesystem;
    return {(fs::path(programFolder + kLibraryFolderFromProgram) / library).lexically_normal(),
            (fs::path(programFolder) / library).lexically_normal()};
}

std::string BundledLibrary(const std::string& programFolder, const char* library) {
    const std::vector<std::string> places = BundledLibraryPlaces(programFolder, library);
    for (const std::string& place : places) {
        if (FileExists(place)) return place;
    }
    return places.front();
}

InstallationCheck CheckInstallation(SettingsStore& installation, const std::string& bundledLibrary,
                                    const PstNeedsLookup& needsOf) {
    if (auto library = UsableLibrary(installation, needsOf)) {
        return {InstallationResult::Complete, *library};
    }
    const bool written = (installation.KeyExists() || installation.CreateKey()) &&
                         installation.Write(kPstFileNameValue, bundledLibrary);
    return {written ? InstallationResult::Rewritten : InstallationResult::RewriteFailed,
            bundledLibrary};
}

}  // namespace velmora
