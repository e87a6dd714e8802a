// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include "transfer/replace_question.h"

#include <gtest/gtest.h>

#include <set>


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

}  // namespace
}  // namespace velmora
