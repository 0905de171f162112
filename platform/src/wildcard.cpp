// Win32 wildcards. The search call rewrites a pattern before matching, so that DOS habits keep working:
//   '?'                      -> one character, or none at a '.' or the end of the name
//   '.' before '?', '*', end -> the dot, or nothing at the end of the name ("name.*" finds "name")
//   '*' before '.'           -> any run that stays before the name's last dot ("*.txt", "*.*")
#include "wildcard.h"

#include <cctype>
#include <vector>

namespace velmora {
namespace {

enum Token : int { kAny = -1, kDosStar = -2, kDosQuestion = -3, kDosDot = -4 };

std::vector<int> tokens(std::string_view pattern) {
    std::vector<int> out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (c == '?')
            out.push_back(kDosQuestion);
        else if (c == '.' && (next == '?' || next == '*' || next == '\0'))
            out.push_back(kDosDot);
        else if (c == '*')
            out.push_back(next == '.' ? kDosStar : kAny);
        else
            out.push_back(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

class Matcher {
  public:
    Matcher(std::vector<int> pattern, std::string_view name)
        : m_pattern(std::move(pattern)),
          m_name(name),
          m_lastDot(name.rfind('.')),
          m_seen((m_pattern.size() + 1) * (name.size() + 1), 0) {}

    bool match(std::size_t p, std::size_t n) {
        char& seen = m_seen[p * (m_name.size() + 1) + n];
        if (seen) return seen == 2;
        const bool result = step(p, n);
        seen = result ? 2 : 1;
        return result;
    }

  private:
    bool step(std::size_t p, std::size_t n) {
        if (p == m_pattern.size()) return n == m_name.size();
        const bool atEnd = n == m_name.size();
        switch (m_pattern[p]) {
            case kAny:
                for (std::size_t k = n; k <= m_name.size(); ++k)
                    if (match(p + 1, k)) return true;
                return false;
            case kDosStar: {
                const std::size_t limit =
                    (m_lastDot != std::string_view::npos && m_lastDot >= n) ? m_lastDot : m_name.size();
                for (std::size_t k = n; k <= limit; ++k)
                    if (match(p + 1, k)) return true;
                return false;
            }
            case kDosQuestion:
                return (!atEnd && m_name[n] != '.') ? match(p + 1, n + 1) : match(p + 1, n);
            case kDosDot:
                return atEnd ? match(p + 1, n) : m_name[n] == '.' && match(p + 1, n + 1);
            default:
                return !atEnd && std::tolower(static_cast<unsigned char>(m_name[n])) == m_pattern[p] &&
                       match(p + 1, n + 1);
        }
    }

    std::vector<int> m_pattern;
    std::string_view m_name;
    std::size_t m_lastDot;
    std::vector<char> m_seen;
};

}  // namespace

bool matchesPattern(std::string_view pattern, std::string_view name) {
    return Matcher(tokens(pattern), name).match(0, 0);
}

}  // namespace velmora
