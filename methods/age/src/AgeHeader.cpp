#include "AgeHeader.h"

#include <algorithm>
#include <string_view>

#include "Base64.h"
#include "argon/MethodErrors.h"

namespace velmora::ageseal {
namespace {

using argonbox::raiseMethodError;
using argonbox::methodError::NotThisMethod;
using argonbox::methodError::UnsupportedParameters;
using argonbox::methodError::WrongPasswordOrDamaged;

constexpr std::string_view kIntro = "age-encryption.org/";
constexpr std::string_view kVersionLine = "age-encryption.org/v1";
constexpr std::string_view kStanzaPrefix = "-> ";
constexpr std::string_view kMacPrefix = "---";
constexpr std::size_t kColumns = 64;
// Far beyond any header with a passphrase stanza, which must stand alone: a bound on what a file that
// never ends its header can make the reader hold.
constexpr std::size_t kMostHeaderBytes = 1 << 20;

// Lines from the start of a source, read in blocks; what lies beyond the last line taken stays for rest().
class LineReader {
  public:
    explicit LineReader(argonbox::ByteSource& source) : m_source(source) {}

    // The next line without its "\n", or false at the end of the data or beyond the bound.
    bool next(std::string_view& line) {
        for (;;) {
            const auto end = std::find(m_buffer.begin() + static_cast<std::ptrdiff_t>(m_taken),
                                       m_buffer.end(), std::uint8_t{'\n'});
            if (end != m_buffer.end()) {
                const std::size_t at = m_taken;
                m_taken = static_cast<std::size_t>(end - m_buffer.begin()) + 1;
                line =
                    std::string_view(reinterpret_cast<const char*>(m_buffer.data()) + at, m_taken - 1 - at);
                return true;
            }
            if (m_buffer.size() >= kMostHeaderBytes || !fill()) return false;
        }
    }
    std::size_t taken() const noexcept { return m_taken; }
    std::string_view text() const noexcept {
        return {reinterpret_cast<const char*>(m_buffer.data()), m_taken};
    }
    std::vector<std::uint8_t> rest() const {
        return {m_buffer.begin() + static_cast<std::ptrdiff_t>(m_taken), m_buffer.end()};
    }

  private:
    bool fill() {
        constexpr std::size_t kBlock = 4096;
        const std::size_t had = m_buffer.size();
        m_buffer.resize(had + kBlock);
        const std::size_t got = m_source.read(std::span(m_buffer).subspan(had));
        m_buffer.resize(had + got);
        return got > 0;
    }

    argonbox::ByteSource& m_source;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_taken = 0;
};

struct Stanza {
    std::vector<std::string> arguments;  // the type first (copies: the reader's buffer moves as it grows)
    std::vector<std::uint8_t> body;
};

bool isArgument(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

std::vector<std::string> split(std::string_view line) {
    std::vector<std::string> parts;
    for (std::size_t at = 0;;) {
        const std::size_t space = line.find(' ', at);
        parts.emplace_back(line.substr(at, space == std::string_view::npos ? space : space - at));
        if (space == std::string_view::npos) return parts;
        at = space + 1;
    }
}

// Full lines of 64 columns, then one shorter (maybe empty) line.
std::vector<std::uint8_t> readBody(LineReader& lines) {
    std::string text;
    std::string_view line;
    do {
        if (!lines.next(line) || line.size() > kColumns) raiseMethodError(WrongPasswordOrDamaged);
        text += line;
    } while (line.size() == kColumns);
    const auto body = fromBase64(text);
    if (!body) raiseMethodError(WrongPasswordOrDamaged);
    return *body;
}

// The work factor as the format writes it: a decimal without leading zeros.
int workFactorOf(std::string_view text) {
    if (text.empty() || text.size() > 9 || text[0] == '0' ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        raiseMethodError(WrongPasswordOrDamaged);
    const int value = std::stoi(std::string(text));
    if (value > kMaxWorkFactor) raiseMethodError(UnsupportedParameters);
    return value;
}

ScryptStanza scryptOf(const std::vector<Stanza>& stanzas) {
    const auto scrypt = std::find_if(stanzas.begin(), stanzas.end(),
                                     [](const Stanza& s) { return s.arguments[0] == "scrypt"; });
    if (scrypt == stanzas.end()) raiseMethodError(NotThisMethod);  // for other recipients only
    // A passphrase stanza stands alone: anyone else who could open the file could also change it.
    if (stanzas.size() != 1 || scrypt->arguments.size() != 3) raiseMethodError(WrongPasswordOrDamaged);
    const auto salt = fromBase64(scrypt->arguments[1]);
    if (!salt || salt->size() != kSaltBytes || scrypt->body.size() != kWrappedKeyBytes)
        raiseMethodError(WrongPasswordOrDamaged);
    ScryptStanza stanza{};
    std::copy(salt->begin(), salt->end(), stanza.salt.begin());
    stanza.workFactor = workFactorOf(scrypt->arguments[2]);
    std::copy(scrypt->body.begin(), scrypt->body.end(), stanza.wrappedKey.begin());
    return stanza;
}

}  // namespace

std::string AgeHeader::textOf(const ScryptStanza& stanza) {
    return std::string(kVersionLine) + "\n" + std::string(kStanzaPrefix) + "scrypt " + toBase64(stanza.salt) +
           " " + std::to_string(stanza.workFactor) + "\n" + toBase64(stanza.wrappedKey) + "\n" +
           std::string(kMacPrefix);
}

std::string AgeHeader::bytes() const {
    return macInput + " " + toBase64(mac) + "\n";
}

AgeStart readStart(argonbox::ByteSource& source) {
    LineReader lines(source);
    std::string_view line;
    if (!lines.next(line) || !line.starts_with(kIntro)) raiseMethodError(NotThisMethod);
    if (line != kVersionLine) raiseMethodError(UnsupportedParameters);

    std::vector<Stanza> stanzas;
    for (;;) {
        if (!lines.next(line)) raiseMethodError(WrongPasswordOrDamaged);
        if (line.starts_with(kStanzaPrefix)) {
            Stanza stanza{split(line.substr(kStanzaPrefix.size())), {}};
            if (!std::all_of(stanza.arguments.begin(), stanza.arguments.end(), isArgument))
                raiseMethodError(WrongPasswordOrDamaged);
            stanza.body = readBody(lines);
            stanzas.push_back(std::move(stanza));
        } else if (line.starts_with(kMacPrefix) && !stanzas.empty()) {
            break;
        } else {
            raiseMethodError(WrongPasswordOrDamaged);
        }
    }
    // The MAC line: "--- " and the MAC, nothing else.
    const std::string_view macText = line.substr(kMacPrefix.size());
    const auto mac = macText.starts_with(' ') ? fromBase64(macText.substr(1)) : std::nullopt;
    if (!mac || mac->size() != kMacBytes) raiseMethodError(WrongPasswordOrDamaged);

    AgeStart start{{scryptOf(stanzas),
                    std::string(lines.text().substr(0, lines.taken() - line.size() - 1 + kMacPrefix.size())),
                    {}},
                   lines.rest(),
                   lines.taken()};
    std::copy(mac->begin(), mac->end(), start.header.mac.begin());
    return start;
}

}  // namespace velmora::ageseal
