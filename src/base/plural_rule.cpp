#include "base/plural_rule.h"

#include <cctype>
#include <charconv>
#include <optional>

namespace velmora {

// Recursive descent over the C operators gettext allows, loosest first: ?:, ||, &&, == !=,
// < <= > >=, + -, * / %, !, then n, a number or a parenthesis.
class PluralParser {
  public:
    PluralParser(std::string_view text, PluralRule& rule) : m_text(text), m_rule(rule) {}

    // The whole text as one expression, or -1.
    int Parse() {
        const int root = Choice();
        Skip();
        return m_at == m_text.size() ? root : -1;
    }

  private:
    using Op = PluralRule::Op;

    void Skip() {
        while (m_at < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_at]))) {
            ++m_at;
        }
    }
    bool Take(std::string_view token) {
        Skip();
        if (m_text.substr(m_at, token.size()) != token) return false;
        m_at += token.size();
        return true;
    }
    int Add(Op op, int a, int b = -1, int c = -1) {
        if (a < 0 || (op != Op::Not && b < 0) || (op == Op::Choice && c < 0)) return -1;
        m_rule.m_nodes.push_back({op, 0, a, b, c});
        return static_cast<int>(m_rule.m_nodes.size()) - 1;
    }

    int Choice() {
        // Hostile nesting must not overflow the stack.
        if (++m_depth > 64) return -1;
        int node = Or();
        if (node >= 0 && Take("?")) {
            const int yes = Choice();
            node = Take(":") ? Add(Op::Choice, node, yes, Choice()) : -1;
        }
        --m_depth;
        return node;
    }
    int Or() {
        int node = And();
        while (node >= 0 && Take("||")) node = Add(Op::Or, node, And());
        return node;
    }
    int And() {
        int node = Equality();
        while (node >= 0 && Take("&&")) node = Add(Op::And, node, Equality());
        return node;
    }
    int Equality() {
        int node = Relation();
        while (node >= 0) {
            if (Take("==")) {
                node = Add(Op::Equal, node, Relation());
            } else if (Take("!=")) {
                node = Add(Op::NotEqual, node, Relation());
            } else {
                break;
            }
        }
        return node;
    }
    int Relation() {
        int node = Sum();
        while (node >= 0) {
            if (Take("<=")) {
                node = Add(Op::LessEqual, node, Sum());
            } else if (Take(">=")) {
                node = Add(Op::GreaterEqual, node, Sum());
            } else if (Take("<")) {
                node = Add(Op::Less, node, Sum());
            } else if (Take(">")) {
                node = Add(Op::Greater, node, Sum());
            } else {
                break;
            }
        }
        return node;
    }
    int Sum() {
        int node = Product();
        while (node >= 0) {
            if (Take("+")) {
                node = Add(Op::Add, node, Product());
            } else if (Take("-")) {
                node = Add(Op::Sub, node, Product());
            } else {
                break;
            }
        }
        return node;
    }
    int Product() {
        int node = Unary();
        while (node >= 0) {
            if (Take("*")) {
                node = Add(Op::Mul, node, Unary());
            } else if (Take("/")) {
                node = Add(Op::Div, node, Unary());
            } else if (Take("%")) {
                node = Add(Op::Mod, node, Unary());
            } else {
                break;
            }
        }
        return node;
    }
    int Unary() {
        // "!=" is not a negation.
        Skip();
        if (m_text.substr(m_at, 1) == "!" && m_text.substr(m_at, 2) != "!=") {
            ++m_at;
            if (++m_depth > 64) return -1;
            const int node = Add(Op::Not, Unary());
            --m_depth;
            return node;
        }
        return Primary();
    }
    int Primary() {
        if (Take("(")) {
            const int node = Choice();
            return Take(")") ? node : -1;
        }
        if (Take("n")) {
            m_rule.m_nodes.push_back({Op::N});
            return static_cast<int>(m_rule.m_nodes.size()) - 1;
        }
        std::uint64_t value = 0;
        const char* begin = m_text.data() + m_at;
        const auto [end, error] = std::from_chars(begin, m_text.data() + m_text.size(), value);
        if (error != std::errc() || end == begin) return -1;
        m_at += static_cast<std::size_t>(end - begin);
        m_rule.m_nodes.push_back({Op::Number, value});
        return static_cast<int>(m_rule.m_nodes.size()) - 1;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    int m_depth = 0;
    PluralRule& m_rule;
};

namespace {

// The text after "name=" up to the next ";", trimmed; nothing without it.
std::optional<std::string_view> HeaderField(std::string_view header, std::string_view name) {
    std::size_t at = 0;
    while ((at = header.find(name, at)) != std::string_view::npos) {
        const bool starts = at == 0 || header[at - 1] == ';' ||
                            std::isspace(static_cast<unsigned char>(header[at - 1]));
        std::size_t equals = at + name.size();
        while (equals < header.size() && header[equals] == ' ') ++equals;
        if (starts && equals < header.size() && header[equals] == '=') {
            const std::size_t begin = equals + 1;
            const std::size_t end = header.find(';', begin);
            std::string_view value = header.substr(begin, end == header.npos ? end : end - begin);
            while (!value.empty() && std::isspace(static_cast<unsigned char>(value.front()))) {
                value.remove_prefix(1);
            }
            while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) {
                value.remove_suffix(1);
            }
            return value;
        }
        at += name.size();
    }
    return std::nullopt;
}

}  // namespace

PluralRule::PluralRule() : m_nodes{{Op::N}, {Op::Number, 1}, {Op::NotEqual, 0, 0, 1}}, m_root(2) {}

PluralRule PluralRule::FromHeader(std::string_view pluralForms) {
    const auto forms = HeaderField(pluralForms, "nplurals");
    const auto expression = HeaderField(pluralForms, "plural");
    std::size_t count = 0;
    if (!forms || !expression ||
        std::from_chars(forms->data(), forms->data() + forms->size(), count).ptr !=
            forms->data() + forms->size() ||
        count == 0 || count > 16) {
        return {};
    }
    PluralRule rule;
    rule.m_nodes.clear();
    rule.m_forms = count;
    rule.m_root = PluralParser(*expression, rule).Parse();
    if (rule.m_root < 0) return {};
    return rule;
}

std::size_t PluralRule::FormFor(std::uint64_t n) const {
    std::uint64_t form = 0;
    if (!Evaluate(m_root, n, form) || form >= m_forms) return 0;
    return static_cast<std::size_t>(form);
}

bool PluralRule::Evaluate(int node, std::uint64_t n, std::uint64_t& result) const {
    const Node& e = m_nodes[static_cast<std::size_t>(node)];
    std::uint64_t a = 0, b = 0;
    switch (e.op) {
        case Op::Number:
            result = e.value;
            return true;
        case Op::N:
            result = n;
            return true;
        case Op::Choice:
            // Only the branch taken is evaluated, as in C.
            if (!Evaluate(e.a, n, a)) return false;
            return Evaluate(a ? e.b : e.c, n, result);
        case Op::And:
        case Op::Or:
            if (!Evaluate(e.a, n, a)) return false;
            if ((e.op == Op::And) != (a != 0)) {
                result = a != 0;
                return true;
            }
            if (!Evaluate(e.b, n, b)) return false;
            result = b != 0;
            return true;
        case Op::Not:
            if (!Evaluate(e.a, n, a)) return false;
            result = !a;
            return true;
        default:
            break;
    }
    if (!Evaluate(e.a, n, a) || !Evaluate(e.b, n, b)) return false;
    switch (e.op) {
        case Op::Mul:
            result = a * b;
            break;
        case Op::Div:
        case Op::Mod:
            if (b == 0) return false;
            result = e.op == Op::Div ? a / b : a % b;
            break;
        case Op::Add:
            result = a + b;
            break;
        case Op::Sub:
            result = a - b;
            break;
        case Op::Less:
            result = a < b;
            break;
        case Op::LessEqual:
            result = a <= b;
            break;
        case Op::Greater:
            result = a > b;
            break;
        case Op::GreaterEqual:
            result = a >= b;
            break;
        case Op::Equal:
            result = a == b;
            break;
        default:
            result = a != b;
            break;
    }
    return true;
}

}  // namespace velmora
