#include "fsac/fsac_result.h"

namespace velmora {

const char* FsacErrorText(FsacError error) {
    switch (error) {
        case FsacError::PathTooLong:
            return "The phone path is longer than 260 characters.";
        case FsacError::NulInText:
            return "The phone path or search text contains a NUL character.";
        case FsacError::PatternTooLong:
            return "The search text is longer than 128 characters.";
        case FsacError::BlockTooLong:
            return "A write request carries at most 1024 bytes.";
        case FsacError::ShortReply:
            return "The phone's reply is too short.";
        case FsacError::BadReply:
            return "The phone's reply is malformed.";
    }
    return "Unknown error.";
}

}  // namespace velmora
