// A program's argument list and the rules that split command-line text into it.
//
// Splitting text: blanks (U+0020 only; a tab is an ordinary character) separate elements, and runs of them
// count as one. An element that starts with a quote ends at the next quote and loses both ("a b" gives
// a b); without a closing quote it takes the rest of the text. A token with a quoted part after some text
// keeps its quotes (/x:"a b" gives /x:"a b"), and what follows the closing quote starts a new element. An
// unterminated quoted part after some text keeps the whole rest as it stands, so no text is ever dropped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class CommandLine {
  public:
    // The elements of text by the rules above, no program-path element. Linear in the text's length.
    static std::vector<std::u16string> split(std::u16string_view text);

    // Given text: the list becomes its elements (the count starts at 0). Empty text: the list becomes the
    // program's full path (element 0) followed by the process arguments handed to setProcessArguments,
    // each taken as it stands, never re-split, so names keep their quotes and runs of blanks.
    void parse(std::u16string_view text = {});

    // The process's own arguments, already split by the system (argv without the program name).
    void setProcessArguments(std::vector<std::u16string> arguments);

    std::int32_t count() const { return static_cast<std::int32_t>(m_arguments.size()); }
    // Element index of the list; error 9 outside 0 .. count - 1. The index is 32-bit so that every
    // element of a very long list is reachable.
    const std::u16string& argument(std::int32_t index) const;
    const std::vector<std::u16string>& arguments() const { return m_arguments; }

  private:
    std::vector<std::u16string> m_arguments;
    std::vector<std::u16string> m_processArguments;
};

// argv[1 ..] as text; bytes that are not valid UTF-8 survive the way back to the system (nativenames.h).
std::vector<std::u16string> processArguments(int argc, const char* const* argv);

// The running program's full path as the command line's element 0: its folder, a "\" when that does not
// already end with one, its file name without ".exe", and ".exe".
std::u16string programPath();

}  // namespace velmora
