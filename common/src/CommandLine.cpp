// The command line split by the suite's blank-and-quote rules, or taken from argv as the system split it.
#include "common/CommandLine.h"

#include <utility>

#include "platform/library.h"
#include "runtime/Error.h"
#include "runtime/nativenames.h"
#include "runtime/stringfunctions.h"

namespace velmora {

namespace {
constexpr char16_t kQuote = u'"';
constexpr char16_t kBlank = u' ';

// The text less its leading blanks; the splitter trims the whole text once, so its end is already clean.
std::u16string_view skipBlanks(std::u16string_view text) {
    const auto first = text.find_first_not_of(kBlank);
    return first == std::u16string_view::npos ? std::u16string_view() : text.substr(first);
}

std::u16string_view trimmed(std::u16string_view text) {
    text = skipBlanks(text);
    return text.substr(0, text.find_last_not_of(kBlank) + 1);
}
}  // namespace

std::vector<std::u16string> CommandLine::split(std::u16string_view text) {
    std::vector<std::u16string> elements;
    // Every search below is bounded by the element it ends, so the whole split stays linear.
    std::u16string_view rest = trimmed(text);
    while (!rest.empty()) {
        if (rest.front() == kQuote) {
            const auto close = rest.find(kQuote, 1);
            if (close == std::u16string_view::npos) {
                elements.emplace_back(rest.substr(1));
                break;
            }
            elements.emplace_back(rest.substr(1, close - 1));
            rest = skipBlanks(rest.substr(close + 1));
            continue;
        }
        const auto blank = rest.find(kBlank);
        if (blank == std::u16string_view::npos) {
            elements.emplace_back(rest);
            break;
        }
        if (rest.substr(0, blank).find(kQuote) != std::u16string_view::npos) {
            // Text with a quoted part, such as /x:"a b": kept with its quotes up to the closing one.
            const auto close = rest.find(kQuote, rest.find(kQuote) + 1);
            if (close == std::u16string_view::npos) {
                // Unterminated: the whole rest as it stands, the text before the quote included.
                elements.emplace_back(rest);
                break;
            }
            elements.emplace_back(rest.substr(0, close + 1));
            rest = skipBlanks(rest.substr(close + 1));
            continue;
        }
        elements.emplace_back(rest.substr(0, blank));
        rest = skipBlanks(rest.substr(blank + 1));
    }
    return elements;
}

void CommandLine::parse(std::u16string_view text) {
    if (!text.empty()) {
        m_arguments = split(text);
        return;
    }
    std::vector<std::u16string> arguments;
    arguments.reserve(m_processArguments.size() + 1);
    arguments.push_back(programPath());
    arguments.insert(arguments.end(), m_processArguments.begin(), m_processArguments.end());
    m_arguments = std::move(arguments);
}

void CommandLine::setProcessArguments(std::vector<std::u16string> arguments) {
    m_processArguments = std::move(arguments);
}

const std::u16string& CommandLine::argument(std::int32_t index) const {
    if (index < 0 || index >= count()) raise(err::SubscriptOutOfRange);
    return m_arguments[static_cast<std::size_t>(index)];
}

std::vector<std::u16string> processArguments(int argc, const char* const* argv) {
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc && argv && argv[i]; ++i) arguments.push_back(fromNativeName(argv[i]));
    return arguments;
}

std::u16string programPath() {
    std::string path(260, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::u16string full = fromNativeName(path);
    const auto slash = full.find_last_of(u'\\');
    std::u16string folder = slash == std::u16string::npos ? std::u16string() : full.substr(0, slash + 1);
    std::u16string name = slash == std::u16string::npos ? full : full.substr(slash + 1);
    // The program's name without its extension, as the platform reports it, then ".exe".
    if (LCase(Right(name, 4)) == u".exe") name.resize(name.size() - 4);
    return folder + name + u".exe";
}

}  // namespace velmora
