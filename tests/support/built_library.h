// The phone libraries as the program loads them, for the window suites: from the build's
// program folder (VELMORA_BUILT_PROGRAM_DIR), configured the way the program configures them.
// A process shares one copy of each library, so each load starts it afresh.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "base/lang_string.h"
#include "phone/loaded_pst.h"
#include "sim/sim_config.h"

namespace velmora::test {

// The library named (kEmulatedPstLibrary, kReplayPstLibrary) with these pst.conf values. A
// library that is refused or says anything fails the test.
inline std::unique_ptr<PstLibrary> LoadBuiltLibrary(
    const char* name = kEmulatedPstLibrary, std::map<std::string, std::string> values = {}) {
    LoadedPstLibrary loaded = LoadPstLibrary(
        std::string(VELMORA_BUILT_PROGRAM_DIR) + name, [values](const std::string& value) {
            return values.contains(value) ? std::optional(values.at(value)) : std::nullopt;
        });
    EXPECT_EQ(loaded.error, "");
    for (const auto& said : loaded.messages)
        ADD_FAILURE() << FormatWithArgs(said.format, said.args);
    return std::move(loaded.library);
}

// The emulated library on a phones file of this text, written into folder.
inline std::unique_ptr<PstLibrary> LoadEmulator(const std::filesystem::path& folder,
                                                const std::string& phones) {
    std::ofstream(folder / "phones.ini") << phones;
    ::setenv(kPhonesEnvVar, (folder / "phones.ini").c_str(), 1);
    auto library = LoadBuiltLibrary();
    ::unsetenv(kPhonesEnvVar);
    return library;
}

}  // namespace velmora::test
