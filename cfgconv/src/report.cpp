#include "cfgconv/report.hpp"

#include <array>

namespace cfgconv {

std::string escapeEcho(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
            continue;
        }
        out += static_cast<char>(c);
        // A marker is complete when its last character arrives: replace that one.
        auto endsWith = [&](std::string_view m) {
            return out.size() >= m.size() &&
                   std::string_view(out).substr(out.size() - m.size()) == m;
        };
        if (c == '.' && (endsWith("Done.") || endsWith("Error."))) {
            out.back() = '%';
            out += "2E";
        } else if (c == ':' && endsWith("Warning:")) {
            out.back() = '%';
            out += "3A";
        }
    }
    return out;
}

StdoutSink::StdoutSink() {
    // Fully buffered with room for any status line, so each flush is one write.
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
}

void StdoutSink::write(std::string_view data) {
    std::fwrite(data.data(), 1, data.size(), stdout);
}

void StdoutSink::flush() {
    std::fflush(stdout);
}

void RecordingSink::flush() {
    if (!pending_.empty())
        deliveries.push_back(std::move(pending_));
    pending_.clear();
}

std::string RecordingSink::all() const {
    std::string s;
    for (const auto& d : deliveries)
        s += d;
    return s + pending_;
}

void Reporter::line(std::string_view text) {
    std::string l = escapeEcho(text);
    l += '\n';
    sink_.write(l);
    sink_.flush();
}

int Reporter::finish(Status status, std::string_view text) {
    sink_.flush();
    std::string l;
    switch (status) {
        case Status::Done:
            l = "Done.";
            break;
        case Status::Warning:
            l = "Warning: ";
            break;
        case Status::Error:
            l = "Error. ";
            break;
    }
    if (status != Status::Done) {
        // Keep the line well inside the stdio buffer so it leaves in one write.
        std::string body = escapeEcho(text);
        constexpr std::size_t kMax = 16000;
        if (body.size() > kMax) {
            body.resize(kMax);
            body += " ...";
        }
        l += body;
    }
    l += '\n';
    sink_.write(l);
    sink_.flush();
    finished_ = true;
    return static_cast<int>(status);
}

}  // namespace cfgconv
