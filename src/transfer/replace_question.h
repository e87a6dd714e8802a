// Before a job replaces a file (a local one a download would overwrite, a phone file an upload
// would rewrite, or a name an earlier file of the same job took) the user chooses: Replace,
// Keep both under a free name, Skip, or Cancel; the choice may stand for the rest of the job.
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/prompts.h"

namespace velmora {

enum class ConflictKind {
    LocalFile,  // a download onto an existing local file
    PhoneFile,  // an upload onto a file the phone's list holds
    SameJob,    // an earlier file of this job has the name: never replaced
};

struct ExistingFile {
    std::string name;    // as the user knows it (UTF-8)
    std::string folder;  // where it is, as shown
    std::optional<std::int64_t> size;
    std::optional<std::int64_t> modified;  // seconds since the epoch
};

class ReplaceQuestion {
  public:
    explicit ReplaceQuestion(Prompts& prompts) : m_prompts(prompts) {}

    // What to do with a target that exists; moreToCome lets the answer stand for the rest.
    // A remembered Replace keeps both for a name of the same job.
    ConflictChoice Ask(ConflictKind kind, const ExistingFile& file, bool moreToCome);

  private:
    Prompts& m_prompts;
    std::optional<ConflictChoice> m_forTheRest;
};

// "name (2).ext", then " (3)" and on: the first that taken() does not hold. The number goes
// before the last "." unless the name starts with it.
std::string KeepBothName(const std::string& name,
                         const std::function<bool(const std::string&)>& taken);

}  // namespace velmora
