#include "gui/file_config_store.h"

#include <wx/base64.h>
#include <wx/fileconf.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/utils.h>
#include <wx/wfstream.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

namespace velmora {
namespace {

constexpr std::string_view kDwordTag = "dword:";
constexpr std::string_view kTextTag = "sz:";
constexpr std::string_view kBinaryTag = "binary:";

bool ValidName(std::string_view name) {
    // wxFileConfig reads a "/" as a path into a group.
    return !name.empty() && name.find('/') == std::string_view::npos;
}

wxString FileName(const std::string& path) {
    return wxString(path.c_str(), *wxConvFileName);
}

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// Whether a line says anything: comments and blank lines do not.
bool MeaningfulLine(std::string_view line) {
    const auto first = line.find_first_not_of(" \t\r\f\v");
    return first != std::string_view::npos && line[first] != ';' && line[first] != '#';
}

// The file's entries, or nothing when it cannot be read. Loaded afresh for every call so
// that the file is the one truth. Each line is taken on its own: one that is not UTF-8 is
// dropped (its value reads as missing) rather than turning the whole file into another code
// page, which would garble every other text in it. unusable tells a file that has something
// to say but not one entry or group wx could take from it: no settings file at all.
std::unique_ptr<wxFileConfig> LoadConfig(const std::string& path, bool* unusable = nullptr) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return nullptr;
    std::string line;
    std::string clean;
    bool first = true;
    bool meaningful = false;
    while (std::getline(in, line)) {
        if (first && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
        first = false;
        meaningful = meaningful || MeaningfulLine(line);
        if (!line.empty() && wxString::FromUTF8(line.data(), line.size()).empty()) continue;
        clean += line;
        clean += '\n';
    }
    if (in.bad()) return nullptr;
    wxMemoryInputStream text(clean.data(), clean.size());
    auto config = std::make_unique<wxFileConfig>(text, wxConvUTF8);
    // A stored "$HOME" is a text, not a reference.
    config->SetExpandEnvVars(false);
    if (unusable != nullptr) {
        *unusable = meaningful && config->GetNumberOfEntries(true) == 0 &&
                    config->GetNumberOfGroups(true) == 0;
    }
    return config;
}

std::unique_ptr<wxFileConfig> EmptyConfig() {
    wxMemoryInputStream nothing("", 0);
    auto config = std::make_unique<wxFileConfig>(nothing, wxConvUTF8);
    config->SetExpandEnvVars(false);
    return config;
}

// A damaged file is the user's, perhaps edited by hand: it goes aside under a name of its own
// rather than under the values written in its place.
bool SetAside(const std::string& path) {
    const std::string kept = path + ".bad";
    std::error_code error;
    std::filesystem::rename(path, kept, error);
    if (error) {
        std::fprintf(stderr,
                     "Velmora: %s cannot be read as settings and cannot be kept as %s (%s); "
                     "it is left as it is.\n",
                     path.c_str(), kept.c_str(), error.message().c_str());
        return false;
    }
    std::fprintf(stderr,
                 "Velmora: %s cannot be read as settings; it is kept as %s and new "
                 "settings start from the defaults.\n",
                 path.c_str(), kept.c_str());
    return true;
}

// The entry's name as the file spells it; names compare without case, like the registry's.
std::optional<wxString> FindEntry(const wxFileConfig& config, const wxString& name) {
    wxString entry;
    long index = 0;
    for (bool more = config.GetFirstEntry(entry, index); more;
         more = config.GetNextEntry(entry, index)) {
        if (entry.CmpNoCase(name) == 0) return entry;
    }
    return std::nullopt;
}

std::optional<wxString> Encode(const SettingValue& value) {
    if (const auto* number = std::get_if<std::uint32_t>(&value)) {
        return wxString::FromUTF8(kDwordTag.data(), kDwordTag.size()) << *number;
    }
    if (const auto* text = std::get_if<std::string>(&value)) {
        if (text->find('\0') != std::string::npos) return std::nullopt;
        const wxString converted = wxString::FromUTF8(text->data(), text->size());
        if (converted.empty() && !text->empty()) return std::nullopt;  // not UTF-8
        return wxString::FromUTF8(kTextTag.data(), kTextTag.size()) + converted;
    }
    const auto& bytes = std::get<Binary>(value);
    wxString tagged = wxString::FromUTF8(kBinaryTag.data(), kBinaryTag.size());
    // wx asserts on the null data of an empty block.
    if (!bytes.empty()) tagged += wxBase64Encode(bytes.data(), bytes.size());
    return tagged;
}

std::optional<SettingValue> Decode(const wxString& stored) {
    const wxScopedCharBuffer utf8 = stored.utf8_str();
    const std::string_view raw(utf8.data(), utf8.length());
    if (raw.starts_with(kDwordTag)) {
        const auto digits = raw.substr(kDwordTag.size());
        std::uint32_t number = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) {
            return std::nullopt;
        }
        return number;
    }
    if (raw.starts_with(kTextTag)) return std::string(raw.substr(kTextTag.size()));
    if (raw.starts_with(kBinaryTag)) {
        const auto encoded = raw.substr(kBinaryTag.size());
        Binary bytes(wxBase64DecodedSize(encoded.size()));
        const std::size_t size = wxBase64Decode(bytes.data(), bytes.size(), encoded.data(),
                                                encoded.size(), wxBase64DecodeMode_Strict);
        if (size == wxCONV_FAILED) return std::nullopt;
        bytes.resize(size);
        return bytes;
    }
    return std::nullopt;
}

std::string ConfigFolder(const UserFolders& folders) {
    return folders.config + "/" + kSettingsFolderName;
}

}  // namespace

FileConfigStore::FileConfigStore(std::string filePath) : m_filePath(std::move(filePath)) {}

bool FileConfigStore::KeyExists() const {
    std::lock_guard lock(m_mutex);
    return IsRegularFile(m_filePath);
}

bool FileConfigStore::CreateKey() {
    std::lock_guard lock(m_mutex);
    if (IsRegularFile(m_filePath)) return true;
    std::error_code error;
    const auto folder = std::filesystem::path(m_filePath).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, error);
    if (error) return false;
    // Appending never truncates a file another call created meanwhile.
    std::ofstream(m_filePath, std::ios::app);
    return IsRegularFile(m_filePath);
}

std::optional<SettingValue> FileConfigStore::Read(std::string_view name) const {
    if (!ValidName(name)) return std::nullopt;
    std::lock_guard lock(m_mutex);
    if (!IsRegularFile(m_filePath)) return std::nullopt;
    wxLogNull quiet;  // a settings failure is silent, never a log dialog
    const auto config = LoadConfig(m_filePath);
    if (!config) return std::nullopt;
    const auto entry = FindEntry(*config, wxString::FromUTF8(name.data(), name.size()));
    if (!entry) return std::nullopt;
    wxString stored;
    if (!config->Read(*entry, &stored)) return std::nullopt;
    return Decode(stored);
}

bool FileConfigStore::Write(std::string_view name, const SettingValue& value) {
    if (!ValidName(name)) return false;
    const auto encoded = Encode(value);
    if (!encoded) return false;
    std::lock_guard lock(m_mutex);
    if (!IsRegularFile(m_filePath)) return false;
    wxLogNull quiet;
    bool unusable = false;
    auto config = LoadConfig(m_filePath, &unusable);
    if (!config) return false;  // an unreadable file is not overwritten
    if (unusable) {
        if (!SetAside(m_filePath)) return false;
        config = EmptyConfig();
    }
    const wxString wanted = wxString::FromUTF8(name.data(), name.size());
    const wxString entry = FindEntry(*config, wanted).value_or(wanted);
    if (!config->Write(entry, *encoded)) return false;
    wxTempFileOutputStream out(FileName(m_filePath));
    if (!out.IsOk()) return false;
    if (!config->Save(out, wxConvUTF8)) {
        out.Discard();
        return false;
    }
    return out.Commit();
}

std::string UserSettingsPath(const UserFolders& folders) {
    return ConfigFolder(folders) + "/settings.conf";
}

std::string InstallationSettingsPath(const UserFolders& folders) {
    return ConfigFolder(folders) + "/pst.conf";
}

}  // namespace velmora
