#include "sim/sim_config.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include "base/lang_string.h"
#include "base/phone_text.h"

namespace velmora {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

// A message shows this much of the file's text: enough to find the place, never a whole line
// of megabytes.
constexpr std::size_t kQuotedChars = 80;

// Built piece by piece: g++ 12 at -O3 warns (-Wrestrict) on literal + string.
std::string Leading(std::string_view text) {
    const std::string_view lead = LeadingCharacters(text, kQuotedChars);
    std::string out(lead);
    if (lead.size() < text.size()) out.append("...");
    return out;
}

std::string Quoted(std::string_view text) {
    std::string out(1, '"');
    out += Leading(text);
    out += '"';
    return out;
}

template <typename Int>
bool ParseInt(std::string_view text, Int& out) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

// A value ends at a comment sign unless it is quoted; quotes keep spaces ("E398 ").
bool SplitValue(std::string_view raw, std::string& value, std::string& problem) {
    raw = Trim(raw);
    if (!raw.empty() && raw.front() == '"') {
        std::size_t close = raw.find('"', 1);
        if (close == std::string_view::npos) {
            problem = "missing closing quote";
            return false;
        }
        std::string_view rest = Trim(raw.substr(close + 1));
        if (!rest.empty() && rest.front() != ';' && rest.front() != '#') {
            problem = "text after the closing quote";
            return false;
        }
        value = std::string(raw.substr(1, close - 1));
        return true;
    }
    std::size_t comment = raw.find_first_of(";#");
    value = std::string(Trim(raw.substr(0, comment)));
    return true;
}

bool ParseVolumes(std::string_view text, std::vector<SimVolumeConfig>& volumes,
                  std::string& problem) {
    volumes.clear();
    std::istringstream words{std::string(text)};
    std::string word;
    std::set<char> seen;
    while (words >> word) {
        std::size_t colon = word.find(':');
        if (colon != 1 || !std::islower(static_cast<unsigned char>(word[0]))) {
            problem = "volume " + Quoted(word) + " is not letter:capacity";
            return false;
        }
        SimVolumeConfig volume;
        volume.letter = word[0];
        if (!ParseInt(std::string_view(word).substr(2), volume.capacity) || volume.capacity < 0) {
            problem = "volume " + Quoted(word) + " has no valid capacity";
            return false;
        }
        if (!seen.insert(volume.letter).second) {
            problem = std::string("volume ") + volume.letter + " given twice";
            return false;
        }
        volumes.push_back(volume);
    }
    if (volumes.empty()) {
        problem = "no volumes";
        return false;
    }
    return true;
}

bool ParseVersion(std::string_view text, int& major, int& minor) {
    std::size_t dot = text.find('.');
    if (dot == std::string_view::npos) return false;
    return ParseInt(text.substr(0, dot), major) && ParseInt(text.substr(dot + 1), minor) &&
           major >= 0 && major <= 255 && minor >= 0 && minor <= 255;
}

bool ValidModel(const std::string& model) {
    if (model.empty() || model.size() > 5) return false;
    for (char c : model) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) {
            return false;
        }
    }
    return true;
}

// Only an absolute path counts, as the XDG rules have it.
std::optional<std::filesystem::path> AbsoluteEnv(const EnvLookup& env, const char* name) {
    auto value = env(name);
    if (!value || value->front() != '/') return std::nullopt;
    return std::filesystem::path(*value);
}

// A home that exists as a folder; without one nothing falls back to a shared place such as the
// temporary folder, where another user could have made the folders first.
std::optional<std::filesystem::path> HomeFolder(const EnvLookup& env) {
    auto home = AbsoluteEnv(env, "HOME");
    std::error_code ec;
    if (!home || !std::filesystem::is_directory(*home, ec)) return std::nullopt;
    return home;
}

std::string NoDataFolderText() {
    return "The emulated phones have nowhere to keep their images: HOME is not set or is not an "
           "existing folder, and XDG_DATA_HOME is not set. No phone is attached.";
}

std::filesystem::path Normal(const std::filesystem::path& path) {
    std::error_code ec;
    auto normal = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
    normal = (ec ? path : normal).lexically_normal();
    return normal.has_filename() ? normal : normal.parent_path();  // no trailing "/"
}

bool Inside(const std::filesystem::path& inner, const std::filesystem::path& outer) {
    return std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end()).first ==
           outer.end();
}

std::string SharedImageText(const std::vector<SimPhoneConfig>& phones, std::size_t first,
                            const std::filesystem::path& firstImage, std::size_t second,
                            const std::filesystem::path& secondImage) {
    if (second < first) return SharedImageText(phones, second, secondImage, first, firstImage);
    return "phone " + std::to_string(phones[first].deviceId) + " (" + Leading(firstImage.string()) +
           ") and phone " + std::to_string(phones[second].deviceId) + " (" +
           Leading(secondImage.string()) + ") share one image folder";
}

// Two phones on one image would change each other's files behind the program's back. Paths
// order element by element, so whatever lies inside a folder sorts right after it: among
// images none of which holds another, each one needs checking against its predecessor only.
std::string SharedImageProblem(const std::vector<SimPhoneConfig>& phones) {
    std::map<std::filesystem::path, std::size_t> images;  // normal image -> phone
    for (std::size_t i = 0; i < phones.size(); ++i) {
        auto [at, added] = images.emplace(Normal(phones[i].image), i);
        if (!added) return SharedImageText(phones, at->second, at->first, i, at->first);
    }
    for (auto outer = images.begin(), inner = outer; outer != images.end(); outer = inner) {
        if (++inner == images.end()) break;
        if (Inside(inner->first, outer->first)) {
            return SharedImageText(phones, outer->second, outer->first, inner->second,
                                   inner->first);
        }
    }
    return {};
}

// Without a data folder the image stays empty: the phone needs an image key.
SimPhoneConfig DefaultPhone(const std::filesystem::path& dataFolder, std::uint16_t id) {
    SimPhoneConfig phone;
    phone.deviceId = id;
    if (!dataFolder.empty()) phone.image = dataFolder / ("phone" + std::to_string(id));
    phone.seedSample = true;
    return phone;
}

// A configuration that attaches no phone and says why: format's "%s" are the args.
SimConfig Refused(const char* format, std::vector<std::string> args) {
    SimConfig refused;
    refused.error = FormatWithArgs(format, args);
    refused.errorFormat = format;
    refused.errorArgs = std::move(args);
    return refused;
}

// A message of the emulator's own, which the program's string table does not have.
SimConfig Refused(std::string text) {
    return Refused("%s", {std::move(text)});
}

// Only a regular file is read: opening a FIFO would wait for a writer, reading a device for
// its data, and the window would never come. The type is checked again on the open file, so
// nothing swapped in between is read either. Gives the refusal, or no error with the text.
SimConfig ReadPhonesText(const std::filesystem::path& path, std::string& text) {
    const std::string name = path.string();
    auto refusal = [&](mode_t mode) -> std::optional<SimConfig> {
        if (S_ISREG(mode)) return std::nullopt;
        if (S_ISDIR(mode)) return Refused(kPhonesFileIsFolder, {name});
        if (S_ISFIFO(mode)) return Refused(kPhonesFileIsPipe, {name});
        return Refused(kPhonesFileIsDevice, {name});
    };
    auto failure = [&](int error) {
        return Refused(kPhonesFileUnreadable, {name, std::strerror(error)});
    };
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return errno == ENOENT ? Refused(kPhonesFileMissing, {name, kPhonesEnvVar})
                               : failure(errno);
    }
    if (auto refused = refusal(status.st_mode)) return *refused;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return failure(errno);
    std::optional<SimConfig> problem;
    if (::fstat(fd, &status) != 0) {
        problem = failure(errno);
    } else {
        problem = refusal(status.st_mode);
    }
    char buffer[65536];
    while (!problem) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) break;
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        } else if (errno != EINTR) {
            problem = failure(errno);
        }
    }
    ::close(fd);
    return problem.value_or(SimConfig{});
}

}  // namespace

std::optional<std::string> ProcessEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

std::optional<std::filesystem::path> EmulatorDataFolder(const EnvLookup& env) {
    if (auto data = AbsoluteEnv(env, "XDG_DATA_HOME")) return *data / "Velmora";
    if (auto home = HomeFolder(env)) return *home / ".local" / "share" / "Velmora";
    return std::nullopt;
}

SimConfig ParsePhonesFile(std::string_view text, const std::string& fileName,
                          const std::filesystem::path& baseFolder,
                          const std::filesystem::path& dataFolder) {
    SimConfig config;
    std::set<std::uint16_t> ids;
    std::set<std::string> keysSeen;
    SimPhoneConfig* phone = nullptr;

    auto fail = [&](int line, const std::string& problem) {
        return Refused(fileName + " line " + std::to_string(line) + ": " + problem);
    };

    // Editors often start a UTF-8 file with a byte-order mark.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::istringstream lines{std::string(text)};
    std::string rawLine;
    int lineNumber = 0;
    while (std::getline(lines, rawLine)) {
        ++lineNumber;
        std::string_view line = Trim(rawLine);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;

        if (line.front() == '[') {
            std::size_t close = line.find(']');
            std::string_view after =
                close == std::string_view::npos ? std::string_view() : Trim(line.substr(close + 1));
            if (close == std::string_view::npos ||
                (!after.empty() && after.front() != ';' && after.front() != '#')) {
                return fail(lineNumber, "malformed section header");
            }
            std::string_view name = Trim(line.substr(1, close - 1));
            if (name.substr(0, 5) != "phone") {
                return fail(lineNumber, "unknown section " + Quoted(name));
            }
            std::uint16_t id = 0;
            if (!ParseInt(Trim(name.substr(5)), id) || id == 0) {
                return fail(lineNumber, "device id must be a number from 1 to 65535");
            }
            if (!ids.insert(id).second) {
                return fail(lineNumber, "device id " + std::to_string(id) + " given twice");
            }
            config.phones.push_back(DefaultPhone(dataFolder, id));
            phone = &config.phones.back();
            keysSeen.clear();
            continue;
        }

        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            return fail(lineNumber, "expected key = value");
        }
        std::string key(Trim(line.substr(0, equals)));
        if (phone == nullptr) {
            return fail(lineNumber, Quoted(key) + " before the first [phone N] section");
        }
        std::string value;
        std::string problem;
        if (!SplitValue(line.substr(equals + 1), value, problem)) {
            return fail(lineNumber, problem);
        }
        if (!keysSeen.insert(key).second) {
            return fail(lineNumber, Quoted(key) + " given twice");
        }
        if (key == "model") {
            if (!ValidModel(value)) {
                return fail(lineNumber, "model must be one to five printable characters");
            }
            phone->model = value;
        } else if (key == "fsac") {
            if (!ParseVersion(value, phone->fsacMajor, phone->fsacMinor)) {
                return fail(lineNumber, "fsac must be major.minor, for example 2.1");
            }
        } else if (key == "volumes") {
            if (!ParseVolumes(value, phone->volumes, problem)) return fail(lineNumber, problem);
        } else if (key == "image") {
            if (value.empty()) return fail(lineNumber, "image is empty");
            std::filesystem::path image(value);
            phone->image = image.is_relative() ? baseFolder / image : image;
        } else if (key == "rate") {
            if (!ParseInt(value, phone->rate) || phone->rate < 0) {
                return fail(lineNumber, "rate must be a number of bytes per second, 0 or more");
            }
        } else {
            return fail(lineNumber, "unknown key " + Quoted(key));
        }
    }
    for (const SimPhoneConfig& each : config.phones) {
        if (each.image.empty()) {
            return Refused(fileName + ": phone " + std::to_string(each.deviceId) +
                           " has no image key. " + NoDataFolderText());
        }
    }
    if (auto problem = SharedImageProblem(config.phones); !problem.empty()) {
        return Refused(fileName + ": " + problem);
    }
    return config;
}

SimConfig LoadEmulatorConfig(const EnvLookup& env) {
    namespace fs = std::filesystem;
    const fs::path dataFolder = EmulatorDataFolder(env).value_or(fs::path());
    fs::path phonesFile;
    SimConfig config;
    if (auto given = env(kPhonesEnvVar)) {
        // A file the user named is never passed over in silence.
        phonesFile = *given;
    } else {
        std::optional<fs::path> configHome = AbsoluteEnv(env, "XDG_CONFIG_HOME");
        if (!configHome) {
            if (auto home = HomeFolder(env)) configHome = *home / ".config";
        }
        struct stat status {};
        fs::path candidate = configHome ? *configHome / "Velmora" / "phones.ini" : fs::path();
        if (configHome && ::stat(candidate.c_str(), &status) == 0) phonesFile = candidate;
    }

    if (phonesFile.empty()) {
        if (dataFolder.empty()) {
            config = Refused(NoDataFolderText());
        } else {
            config.phones.push_back(DefaultPhone(dataFolder, 1));
        }
    } else {
        std::string text;
        config = ReadPhonesText(phonesFile, text);
        if (config.error.empty()) {
            config =
                ParsePhonesFile(text, phonesFile.string(), phonesFile.parent_path(), dataFolder);
        }
    }
    if (auto trace = env(kTraceEnvVar)) config.tracePath = *trace;
    return config;
}

}  // namespace velmora
