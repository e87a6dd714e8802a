// A throw-away folder for one test, under VELMORA_TEST_TMP (the build's own) or else the
// system's temporary folder; named after the test and the process so that runs never share.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace velmora::test {

// A file's whole contents; empty when it cannot be read.
inline std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::filesystem::path TestTempRoot() {
    const char* base = std::getenv("VELMORA_TEST_TMP");
    return base != nullptr && base[0] != '\0' ? std::filesystem::path(base)
                                              : std::filesystem::temp_directory_path();
}

class TempFolder {
  public:
    explicit TempFolder(const std::string& prefix = "test") {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = prefix + "_" + (info ? info->test_suite_name() : "x") + "_" +
                           (info ? info->name() : "x") + "_" + std::to_string(::getpid());
        for (char& c : name) {
            if (c == '/') c = '_';  // parameterised names
        }
        m_path = TestTempRoot() / name;
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

  private:
    std::filesystem::path m_path;
};

}  // namespace velmora::test
