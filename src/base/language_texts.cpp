#include "base/language_texts.h"

#include "base/lang_string_table.h"

namespace velmora {
namespace {

// A count for each of the rule's forms, to ask the catalog for that form by. Rules look at n
// itself below a hundred or so and at its last two digits, and some at whether it is a
// multiple of a million: these counts reach every form such rules have.
std::vector<std::uint32_t> FormCounts(const PluralRule& rule) {
    std::vector<std::uint32_t> counts(rule.Forms(), 0);
    std::vector<bool> found(rule.Forms(), false);
    std::size_t missing = rule.Forms();
    auto consider = [&](std::uint32_t n) {
        const std::size_t form = rule.FormFor(n);
        if (found[form]) return;
        found[form] = true;
        counts[form] = n;
        --missing;
    };
    for (std::uint32_t n = 0; n <= 1000 && missing > 0; ++n) consider(n);
    for (std::uint32_t n = 10000; n <= 1000000000 && missing > 0; n *= 10) consider(n);
    return counts;
}

}  // namespace

std::shared_ptr<const LanguageTexts> LanguageTexts::Build(std::string code,
                                                          const Catalog& catalog) {
    PluralRule rule = PluralRule::FromHeader(catalog.PluralForms());
    const std::vector<std::uint32_t> counts = FormCounts(rule);
    std::unordered_map<int, std::vector<std::string>> texts;
    for (const LangStringEntry& entry : LangStringTable()) {
        if (!entry.plural) {
            if (auto text = catalog.Translate(entry.text)) texts[entry.id] = {std::move(*text)};
            continue;
        }
        std::vector<std::string> forms;
        for (std::uint32_t n : counts) {
            auto form = catalog.TranslatePlural(entry.text, n);
            if (!form) break;
            forms.push_back(std::move(*form));
        }
        // A form the catalog does not give would leave a gap: all or English.
        if (forms.size() == counts.size()) texts[entry.id] = std::move(forms);
    }
    return std::make_shared<const LanguageTexts>(std::move(code), std::move(rule),
                                                 std::move(texts));
}

std::string LanguageTexts::Text(int id, std::uint64_t n) const {
    if (const auto found = m_texts.find(id); found != m_texts.end()) {
        const auto& forms = found->second;
        return forms.size() == 1 ? forms.front() : forms[m_rule.FormFor(n) % forms.size()];
    }
    for (const LangStringEntry& entry : LangStringTable()) {
        if (entry.id != id) continue;
        return n != 1 && entry.plural ? entry.plural : entry.text;
    }
    return {};
}

}  // namespace velmora
