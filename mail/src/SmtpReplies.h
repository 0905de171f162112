// Assembles SMTP replies from the chunks the socket delivers: a reply may come in pieces and span several
// lines ("250-first", "250 last"); it is complete with its last line, whose code counts. Replies that
// arrive before anyone waits for them queue up in order, so none answers a later command.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::mail {

class SmtpReplies {
  public:
    struct Reply {
        std::string code;                // the three characters of the last line
        std::string text;                // everything after the code of the last line, without the line end
        std::vector<std::string> lines;  // every line of the reply, without line ends
    };

    void feed(std::string_view chunk);
    bool empty() const noexcept { return m_complete.empty(); }
    Reply take();
    // Forgets queued replies and any partial one.
    void clear();

  private:
    std::string m_partial;
    std::vector<std::string> m_lines;  // of the reply being assembled
    std::deque<Reply> m_complete;
};

}  // namespace velmora::mail
