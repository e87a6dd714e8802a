// The program's catalogs through wx: velmora.mo of each language under the locale folders
// (<folder>/<language>/LC_MESSAGES/velmora.mo), and wx's own catalog in the same language for
// the texts wx draws itself: the message boxes' buttons, the help window's labels.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/language_texts.h"

namespace velmora {

inline constexpr char kCatalogDomain[] = "velmora";

class WxCatalogs : public Catalogs {
  public:
    // The folders are searched in order; only they hold the program's catalogs. What they hold
    // is read once: a catalog added later counts from the next start.
    explicit WxCatalogs(std::vector<std::string> localeFolders);

    std::vector<std::string> Languages() const override { return m_languages; }
    std::string LanguageName(const std::string& code) const override;
    // Puts wx's translations for code in place, replacing the ones before. Window's thread
    // (or before the toolkit runs).
    std::shared_ptr<const LanguageTexts> Use(const std::string& code) override;

  private:
    std::vector<std::string> m_folders;
    std::vector<std::string> m_languages;
};

}  // namespace velmora
