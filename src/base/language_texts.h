// One language's texts of the program's strings, and the installed catalogs they come from.
// The window's thread builds a language's texts from its catalog when the language is chosen;
// they never change afterwards, so workers read them while the user switches to another.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/plural_rule.h"

namespace velmora {

inline constexpr char kEnglishCode[] = "en";
inline constexpr char kRussianCode[] = "ru";

// What the texts are built from: one language's compiled catalog.
class Catalog {
  public:
    virtual ~Catalog() = default;
    // The translation of msgid; nothing where the catalog has none.
    virtual std::optional<std::string> Translate(const char* msgid) const = 0;
    // The translation of plural msgid for a count of n.
    virtual std::optional<std::string> TranslatePlural(const char* msgid,
                                                       std::uint32_t n) const = 0;
    // The value of its "Plural-Forms" header; empty without one.
    virtual std::string PluralForms() const = 0;
};

class LanguageTexts {
  public:
    // English: the message ids themselves.
    LanguageTexts() : m_code(kEnglishCode) {}
    LanguageTexts(std::string code, PluralRule rule,
                  std::unordered_map<int, std::vector<std::string>> texts)
        : m_code(std::move(code)), m_rule(std::move(rule)), m_texts(std::move(texts)) {}

    // Every string of the table the catalog translates; the rest stay English.
    static std::shared_ptr<const LanguageTexts> Build(std::string code, const Catalog& catalog);

    const std::string& Code() const { return m_code; }
    // The text of string id for a count of n, in this language where it has one, else the
    // English message id. Empty for an id the table does not have.
    std::string Text(int id, std::uint64_t n = 1) const;

  private:
    std::string m_code;
    PluralRule m_rule;
    // Per id its one text, or a plural string's forms in the rule's order.
    std::unordered_map<int, std::vector<std::string>> m_texts;
};

// The catalogs installed with the program. Only the window's thread asks them.
class Catalogs {
  public:
    virtual ~Catalogs() = default;
    // The languages that have a catalog, by code ("ru", "pt_BR"); English, whose texts are the
    // message ids, needs none and is not among them.
    virtual std::vector<std::string> Languages() const = 0;
    // How the Language menu names the language: in itself.
    virtual std::string LanguageName(const std::string& code) const = 0;
    // The program's texts in the language, which from now on is also the language of the
    // toolkit's own texts (the message boxes' buttons); null, changing nothing, when its
    // catalog cannot be read. "en" gives English.
    virtual std::shared_ptr<const LanguageTexts> Use(const std::string& code) = 0;
};

}  // namespace velmora
