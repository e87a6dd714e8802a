// The program's own strings: the English texts, which are also the catalogs' message ids.
#pragma once

#include <span>

// Marks a message id for xgettext (--keyword=N_ --keyword=NP_:1,2); the text is looked up
// later, by its string's id. wx defines N_ the same way.
#ifndef N_
#define N_(text) (text)
#endif
#define NP_(singular, plural) (singular), (plural)

namespace velmora {

struct LangStringEntry {
    int id;
    const char* text;
    // The English plural of a string that counts something, with "%d" for the count; text is
    // then the singular.
    const char* plural = nullptr;
};

const std::span<const LangStringEntry> LangStringTable();

}  // namespace velmora
