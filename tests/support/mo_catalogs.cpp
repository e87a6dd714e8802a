#include "support/mo_catalogs.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

fs::path CatalogFile(const std::string& folder, const std::string& code) {
    return fs::path(folder) / code / "LC_MESSAGES" / "velmora.mo";
}

// A .mo file's messages: msgid to its translation, a plural's forms split at their NULs.
class MoCatalog : public Catalog {
  public:
    explicit MoCatalog(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        const std::string data{std::istreambuf_iterator<char>(in), {}};
        auto word = [&](std::size_t at) {
            std::uint32_t value = 0;
            if (at + 4 <= data.size()) std::memcpy(&value, data.data() + at, 4);
            return value;
        };
        auto text = [&](std::uint32_t table, std::uint32_t i) {
            const std::uint32_t length = word(table + 8 * i), offset = word(table + 8 * i + 4);
            return offset + length <= data.size() ? data.substr(offset, length) : std::string();
        };
        // msgfmt writes this machine's byte order.
        for (std::uint32_t i = 0; word(0) == 0x950412de && i < word(8); ++i) {
            const std::string forms = text(word(16), i);
            auto& split = m_messages[text(word(12), i).substr(0, text(word(12), i).find('\0'))];
            for (std::size_t begin = 0; begin <= forms.size();) {
                const std::size_t end = std::min(forms.find('\0', begin), forms.size());
                split.push_back(forms.substr(begin, end - begin));
                begin = end + 1;
            }
        }
        const std::string header = m_messages[""].empty() ? "" : m_messages[""].front();
        if (const auto at = header.find("Plural-Forms:"); at != std::string::npos) {
            m_pluralForms = header.substr(at + 13, header.find('\n', at) - at - 13);
        }
    }
    std::optional<std::string> Translate(const char* msgid) const override {
        return TranslatePlural(msgid, 1);
    }
    std::optional<std::string> TranslatePlural(const char* msgid, std::uint32_t n) const override {
        const auto found = m_messages.find(msgid);
        if (found == m_messages.end()) return std::nullopt;
        const auto& forms = found->second;
        const std::size_t form =
            forms.size() > 1 ? PluralRule::FromHeader(m_pluralForms).FormFor(n) : 0;
        if (form >= forms.size()) return std::nullopt;
        return forms[form];
    }
    std::string PluralForms() const override { return m_pluralForms; }

  private:
    std::map<std::string, std::vector<std::string>> m_messages;
    std::string m_pluralForms;
};

}  // namespace

std::vector<std::string> MoCatalogs::Languages() const {
    std::vector<std::string> codes;
    std::error_code error;
    for (fs::directory_iterator it(m_folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string code = it->path().filename().string();
        if (fs::exists(CatalogFile(m_folder, code))) codes.push_back(code);
    }
    std::sort(codes.begin(), codes.end());
    return codes;
}

std::shared_ptr<const LanguageTexts> MoCatalogs::Use(const std::string& code) {
    if (code == kEnglishCode) return std::make_shared<const LanguageTexts>();
    if (!fs::exists(CatalogFile(m_folder, code))) return nullptr;
    return LanguageTexts::Build(code, MoCatalog(CatalogFile(m_folder, code)));
}

}  // namespace velmora::test
