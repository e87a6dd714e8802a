#include "fsac/fsac_result.h"

#include "base/lang_string.h"

namespace velmora {

namespace {

constexpr int kStrPathTooLong = 400;
constexpr int kStrNulInText = 401;
constexpr int kStrPatternTooLong = 402;
constexpr int kStrBlockTooLong = 403;
constexpr int kStrShortReply = 404;
constexpr int kStrBadReply = 405;
constexpr int kStrNoPhoneByte = 406;

int TextId(FsacError error) {
    switch (error) {
        case FsacError::PathTooLong:
            return kStrPathTooLong;
        case FsacError::NulInText:
            return kStrNulInText;
        case FsacError::PatternTooLong:
            return kStrPatternTooLong;
        case FsacError::BlockTooLong:
            return kStrBlockTooLong;
        case FsacError::ShortReply:
            return kStrShortReply;
        case FsacError::BadReply:
            return kStrBadReply;
        case FsacError::NoPhoneByte:
            return kStrNoPhoneByte;
    }
    return kStrBadReply;
}

}  // namespace

std::string FsacErrorText(FsacError error, const std::string& detail) {
    std::string text = LoadLangString(TextId(error));
    if (const auto mark = text.find("%s"); mark != std::string::npos) {
        text.replace(mark, 2, detail);
    }
    return text;
}

}  // namespace velmora
