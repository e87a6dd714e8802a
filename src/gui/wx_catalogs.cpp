#include "gui/wx_catalogs.h"

#include <glib.h>
#include <wx/log.h>
#include <wx/translation.h>
#include <wx/uilocale.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "gui/wx_text.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

fs::path CatalogFile(const std::string& folder, const std::string& language) {
    return fs::path(folder) / language / "LC_MESSAGES" / (std::string(kCatalogDomain) + ".mo");
}

// The program's catalogs from its own folders only, so that another copy installed elsewhere
// never mixes in; wx's own where wx keeps them.
class FolderLoader : public wxTranslationsLoader {
  public:
    FolderLoader(const std::vector<std::string>& folders, std::vector<std::string> languages)
        : m_folders(folders), m_languages(std::move(languages)) {}

    wxMsgCatalog* LoadCatalog(const wxString& domain, const wxString& lang) override {
        if (domain != kCatalogDomain) return m_system.LoadCatalog(domain, lang);
        for (const auto& folder : m_folders) {
            std::error_code error;
            const fs::path file = CatalogFile(folder, ToUtf8(lang));
            if (fs::is_regular_file(file, error)) {
                return wxMsgCatalog::CreateFromFile(FromUtf8(file.string()), domain);
            }
        }
        return nullptr;
    }

    wxArrayString GetAvailableTranslations(const wxString& domain) const override {
        if (domain != kCatalogDomain) return m_system.GetAvailableTranslations(domain);
        wxArrayString languages;
        for (const auto& code : m_languages) languages.push_back(FromUtf8(code));
        return languages;
    }

  private:
    std::vector<std::string> m_folders;
    std::vector<std::string> m_languages;
    wxFileTranslationsLoader m_system;
};

// One language's catalog of the program as the texts are built from it.
class WxCatalog : public Catalog {
  public:
    explicit WxCatalog(const wxTranslations& translations) : m_translations(translations) {}

    std::optional<std::string> Translate(const char* msgid) const override {
        return Found(m_translations.GetTranslatedString(wxString::FromUTF8(msgid), kCatalogDomain));
    }
    std::optional<std::string> TranslatePlural(const char* msgid, std::uint32_t n) const override {
        return Found(
            m_translations.GetTranslatedString(wxString::FromUTF8(msgid), n, kCatalogDomain));
    }
    std::string PluralForms() const override {
        return ToUtf8(m_translations.GetHeaderValue("Plural-Forms", kCatalogDomain));
    }

  private:
    static std::optional<std::string> Found(const wxString* text) {
        if (!text) return std::nullopt;
        return ToUtf8(*text);
    }

    const wxTranslations& m_translations;
};

}  // namespace

WxCatalogs::WxCatalogs(std::vector<std::string> localeFolders)
    : m_folders(std::move(localeFolders)) {
    for (const auto& folder : m_folders) {
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            const std::string code = it->path().filename().string();
            std::error_code missing;
            if (fs::is_regular_file(CatalogFile(folder, code), missing))
                m_languages.push_back(code);
        }
    }
    std::sort(m_languages.begin(), m_languages.end());
    m_languages.erase(std::unique(m_languages.begin(), m_languages.end()), m_languages.end());
}

std::string WxCatalogs::LanguageName(const std::string& code) const {
    const wxLanguageInfo* info = wxUILocale::FindLanguageInfo(FromUtf8(code));
    if (!info || info->DescriptionNative.empty()) return code;
    // Names in themselves may start in lower case ("русский"); a menu item starts with a
    // capital. GLib's case tables, unlike the C library's, do not depend on the locale.
    const std::string name = ToUtf8(info->DescriptionNative);
    char first[6];
    const gint length = g_unichar_to_utf8(g_unichar_toupper(g_utf8_get_char(name.c_str())), first);
    return std::string(first, static_cast<std::size_t>(length)) + g_utf8_next_char(name.c_str());
}

std::shared_ptr<const LanguageTexts> WxCatalogs::Use(const std::string& code) {
    auto translations = std::make_unique<wxTranslations>();
    translations->SetLoader(new FolderLoader(m_folders, m_languages));
    translations->SetLanguage(FromUtf8(code));
    std::shared_ptr<const LanguageTexts> texts;
    {
        // wx would report a missing or broken catalog in a box of its own; the caller says it.
        wxLogNull quiet;
        if (code == kEnglishCode) {
            texts = std::make_shared<const LanguageTexts>();
        } else if (translations->AddCatalog(kCatalogDomain) &&
                   translations->IsLoaded(kCatalogDomain)) {
            texts = LanguageTexts::Build(code, WxCatalog(*translations));
        }
        if (!texts) return nullptr;
        // Last, so that it is searched first: wx's windows ask without naming a catalog, and
        // wx's labels ("Search") must not take the program's texts of the same words.
        translations->AddStdCatalog();
    }
    wxTranslations::Set(translations.release());
    return texts;
}

}  // namespace velmora
