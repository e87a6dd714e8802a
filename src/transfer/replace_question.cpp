// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include "transfer/replace_question.h"

#include <ctime>

#include "base/lang_string.h"
#include "transfer/phone_file_reader.h"

namespace velmora {

namespace {

constexpr int kStrLocalExists = 495;
constexpr int kStrPhoneExists = 496;
constexpr int kStrSameJobName = 497;
constexpr int kStrReplacePhoneCopy = 498;
constexpr int kStrReplaceLocalCopy = 499;
constexpr int kStrReplaceTitle = 520;
constexpr int kStrKeepBothOrSkip = 521;
constexpr int kStrUnknown = 522;

std::string LocalTime(std::optional<std::int64_t> seconds) {
    if (!seconds) return LoadLangString(kStrUnknown);
    const std::time_t t = static_cast<std::time_t>(*seconds);
    std::tm parts{};
    char text[32];
    if (!localtime_r(&t, &parts) || !std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &parts))
        return LoadLangString(kStrUnknown);
    return text;
}

std::string SizeText(std::optional<std::int64_t> size) {
    return size ? std::to_string(*size) : LoadLangString(kStrUnknown);
}

std::string QuestionText(ConflictKind kind, const ExistingFile& file) {
    switch (kind) {
        case ConflictKind::LocalFile:
            return FormatLangString(kStrLocalExists, {file.folder, file.name, SizeText(file.size),
                                                      LocalTime(file.modified)}) +
                   "\n" + LoadLangString(kStrReplaceLocalCopy);
        case ConflictKind::PhoneFile:
            return FormatLangString(kStrPhoneExists,
                                    {file.folder, file.name, SizeText(file.size)}) +
                   "\n" + LoadLangString(kStrReplacePhoneCopy);
        case ConflictKind::SameJob:
            break;
    }
    return FormatLangString(kStrSameJobName, {file.folder, file.name}) + "\n" +
           LoadLangString(kStrKeepBothOrSkip);
}

}  // namespace

ConflictChoice ReplaceQuestion::Ask(ConflictKind kind, const ExistingFile& file, bool moreToCome) {
    const bool replaceOffered = kind != ConflictKind::SameJob;
    if (m_forTheRest) {
        if (*m_forTheRest == ConflictChoice::Replace && !replaceOffered)
            return ConflictChoice::KeepBoth;
        return *m_forTheRest;
    }
    const ConflictAnswer answer = m_prompts.AskConflict(
        {QuestionText(kind, file), LoadLangString(kStrReplaceTitle), replaceOffered, moreToCome});
    ConflictChoice choice = answer.choice;
    // A dialog that offered no Replace cannot give one.
    if (choice == ConflictChoice::Replace && !replaceOffered) choice = ConflictChoice::Cancel;
    if (answer.forTheRest && choice != ConflictChoice::Cancel) m_forTheRest = choice;
    return choice;
}

std::string KeepBothName(const std::string& name,
                         const std::function<bool(const std::string&)>& taken) {
    const auto dot = name.rfind('.');
    const bool hasSuffix = dot != std::string::npos && dot > 0;
    const std::string stem = hasSuffix ? name.substr(0, dot) : name;
    const std::string suffix = hasSuffix ? name.substr(dot) : std::string();
    for (int n = 2;; ++n) {
        std::string candidate = stem + " (" + std::to_string(n) + ")" + suffix;
        if (!taken(candidate)) return candidate;
    }
}

}  // namespace velmora
