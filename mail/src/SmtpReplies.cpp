#include "SmtpReplies.h"

namespace velmora::mail {

void SmtpReplies::feed(std::string_view chunk) {
    m_partial.append(chunk);
    std::size_t start = 0;
    for (std::size_t end; (end = m_partial.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string_view line(m_partial.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // "ddd-" continues the reply; anything else ends it (a server that answers garbage included, so
        // that the wait sees what came instead of waiting on).
        m_lines.emplace_back(line);
        if (line.size() >= 4 && line[3] == '-') continue;
        Reply reply;
        reply.lines = std::move(m_lines);
        m_lines.clear();
        reply.code = std::string(line.substr(0, 3));
        if (line.size() > 3) reply.text = std::string(line.substr(3));
        m_complete.push_back(std::move(reply));
    }
    m_partial.erase(0, start);
}

SmtpReplies::Reply SmtpReplies::take() {
    Reply first = std::move(m_complete.front());
    m_complete.pop_front();
    return first;
}

void SmtpReplies::clear() {
    m_partial.clear();
    m_lines.clear();
    m_complete.clear();
}

}  // namespace velmora::mail
