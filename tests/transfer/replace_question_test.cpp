// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include "transfer/replace_question.h"

#include <gtest/gtest.h>

#include <set>

#include "base/lang_string.h"
#include "support/fakes.h"

namespace velmora {
namespace {

TEST(KeepBothName, TheNumberGoesBeforeTheLastSuffix) {
    struct Row {
        const char* name;
        std::set<std::string> taken;
        const char* expected;
    };
    const Row rows[] = {
        {"smile.gif", {}, "smile (2).gif"},
        {"my song.txt", {"my song (2).txt", "my song (3).txt"}, "my song (4).txt"},
        {"a.tar.gz", {}, "a.tar (2).gz"},
        {".profile", {}, ".profile (2)"},
        {"README", {}, "README (2)"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(
            KeepBothName(row.name, [&](const std::string& n) { return row.taken.contains(n); }),
            row.expected);
    }
}

// "For the rest" stands for later files, but never turns a same-job name into a replace.
TEST(ReplaceQuestion, AnAnswerForTheRestStandsWithoutReplacingWithinTheJob) {
    SetLanguageIndex(kLanguageEnglish);
    test::FakePrompts prompts;
    prompts.conflictAnswers = {{ConflictChoice::Replace, true}};
    ReplaceQuestion question(prompts);
    const ExistingFile file{"smile.gif", "/home/me/", 1234, 0};
    EXPECT_EQ(question.Ask(ConflictKind::LocalFile, file, true), ConflictChoice::Replace);
    EXPECT_EQ(question.Ask(ConflictKind::LocalFile, file, true), ConflictChoice::Replace);
    EXPECT_EQ(question.Ask(ConflictKind::SameJob, file, false), ConflictChoice::KeepBoth);
    ASSERT_EQ(prompts.Conflicts().size(), 1u);
    EXPECT_EQ(prompts.Conflicts()[0].text.rfind(
                  "The folder /home/me/ already has a file named \"smile.gif\" (1234 bytes, "
                  "modified ",
                  0),
              0u);

    // Cancel is never remembered, and a same-job question offers no Replace.
    prompts.conflictAnswers = {{ConflictChoice::Cancel, true}, {ConflictChoice::Replace, false}};
    ReplaceQuestion other(prompts);
    EXPECT_EQ(other.Ask(ConflictKind::PhoneFile, file, true), ConflictChoice::Cancel);
    EXPECT_EQ(other.Ask(ConflictKind::SameJob, file, true), ConflictChoice::Cancel);
    EXPECT_FALSE(prompts.Conflicts().back().replaceOffered);
}

}  // namespace
}  // namespace velmora
