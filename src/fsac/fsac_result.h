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
};

// English only: these texts have no entry in the string table.
const char* FsacErrorText(FsacError error);

template <typename T>
class [[nodiscard]] FsacResult {
  public:
    FsacResult(T value) : m_state(std::move(value)) {}
    FsacResult(FsacError error) : m_state(error) {}

    bool Ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return Ok(); }

    // Only when Ok().
    const T& Value() const& { return std::get<T>(m_state); }
    T& Value() & { return std::get<T>(m_state); }
    T&& Value() && { return std::get<T>(std::move(m_state)); }

    // Only when !Ok().
    FsacError Error() const { return std::get<FsacError>(m_state); }
    std::string ErrorText() const { return FsacErrorText(Error()); }

  private:
    std::variant<T, FsacError> m_state;
};

}  // namespace velmora
