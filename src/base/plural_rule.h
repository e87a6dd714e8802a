// Which plural form a count takes in a language: the C expression of a catalog's
// "Plural-Forms" header, such as "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : ...);".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora {

class PluralRule {
  public:
    // English's: one form for 1, the other for every other count.
    PluralRule();
    // The header's rule; English's when the header is missing or does not parse, since a
    // catalog's texts must never pick a form it does not have.
    static PluralRule FromHeader(std::string_view pluralForms);

    std::size_t Forms() const { return m_forms; }
    // Always below Forms(): an expression that answers outside them, or divides by zero,
    // gives form 0 as gettext does.
    std::size_t FormFor(std::uint64_t n) const;

  private:
    enum class Op {
        Number,
        N,
        Not,
        Mul,
        Div,
        Mod,
        Add,
        Sub,
        Less,
        LessEqual,
        Greater,
        GreaterEqual,
        Equal,
        NotEqual,
        And,
        Or,
        Choice
    };
    struct Node {
        Op op = Op::Number;
        std::uint64_t value = 0;
        int a = -1, b = -1, c = -1;  // operands, as indices into m_nodes
    };
    friend class PluralParser;

    // False on a division by zero.
    bool Evaluate(int node, std::uint64_t n, std::uint64_t& result) const;

    std::vector<Node> m_nodes;
    int m_root = -1;
    std::size_t m_forms = 2;
};

}  // namespace velmora
