// The catalogs of a locale folder read straight from their .mo files, for the suites that run
// without wx: they give the texts the program builds from the same files through wx.
#pragma once

#include <string>
#include <vector>

#include "base/language_texts.h"

namespace velmora::test {

class MoCatalogs : public Catalogs {
  public:
    explicit MoCatalogs(std::string folder) : m_folder(std::move(folder)) {}
    std::vector<std::string> Languages() const override;
    std::string LanguageName(const std::string& code) const override {
        return code == kRussianCode ? "Русский" : code;
    }
    std::shared_ptr<const LanguageTexts> Use(const std::string& code) override;

  private:
    std::string m_folder;
};

}  // namespace velmora::test
