#pragma once

#include <glog/logging.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace Tavrin {
namespace Test {

// The glog lines of `minimum` severity and above written while it lives.
class LogCapture : public google::LogSink
{
public:
    explicit LogCapture(google::LogSeverity minimum = google::GLOG_INFO) : m_minimum(minimum)
    {
        google::AddLogSink(this);
    }
    ~LogCapture() override { google::RemoveLogSink(this); }

    using google::LogSink::send;
    void send(google::LogSeverity severity, const char*, const char*, int,
              const google::LogMessageTime&, const char* message, size_t length) override
    {
        if (severity >= m_minimum)
            lines.emplace_back(severity, std::string(message, length));
    }

    // How many lines, read as "SEVERITY: message", contain `text`.
    long Count(const std::string& text) const
    {
        return std::count_if(lines.begin(), lines.end(), [&text](const auto& line) {
            const std::string full = google::GetLogSeverityName(line.first) + (": " + line.second);
            return full.find(text) != std::string::npos;
        });
    }

    std::vector<std::pair<google::LogSeverity, std::string>> lines;

private:
    const google::LogSeverity m_minimum;
};

}  // namespace Test
}  // namespace Tavrin
