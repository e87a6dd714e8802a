// The outcome of building a request or parsing a reply: a value, or the reason there is
// none, with a plain text the caller can show. Nothing here throws at the caller.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace velmora {

enum class FsacError {
    PathTooLong,     // a phone path over 260 characters
    NulInText,       // a NUL inside a path or search text would end it early on the phone
    PatternTooLong,  // a search text over 128 characters
    BlockTooLong,    // write data over one block
    ShortReply,      // the reply ends before its record does
    BadReply,        // a field or count that cannot be right
    NoPhoneByte,     // a character the phone's 8-bit text has no byte for
};

// The text in the current language; detail names what was refused, where the text has room.
std::string FsacErrorText(FsacError error, const std::string& detail = {});

template <typename T>
class [[nodiscard]] FsacResult {
  public:
    FsacResult(T value) : m_state(std::move(value)) {}
    FsacResult(FsacError error, std::string detail = {})
        : m_state(Failure{error, std::move(detail)}) {}

    bool Ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return Ok(); }

    // Only when Ok().
    const T& Value() const& { return std::get<T>(m_state); }
    T& Value() & { return std::get<T>(m_state); }
    T&& Value() && { return std::get<T>(std::move(m_state)); }

    // Only when !Ok().
    FsacError Error() const { return std::get<Failure>(m_state).error; }
    const std::string& ErrorDetail() const { return std::get<Failure>(m_state).detail; }
    std::string ErrorText() const { return FsacErrorText(Error(), ErrorDetail()); }

  private:
    struct Failure {
        FsacError error;
        std::string detail;
    };
    std::variant<T, Failure> m_state;
};

}  // namespace velmora
