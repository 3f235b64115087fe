// What the converter prints on standard output. The front-end searches each
// delivery for "Done.", "Error." and "Warning:", so only the final status line
// may hold one of them: every other text goes through escapeEcho().
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace cfgconv {

// Escapes a text for a line on standard output, no more than the reader needs:
// control characters (line breaks in a path included) become "%XX", so that
// every echoed text stays on its line and is visible, and the last character of
// each marker is percent-encoded ("Done%2E", "Error%2E", "Warning%3A").
// Everything else, '%' included, is left as written: the line is for people to
// read, so a display format "%10.0" shows as such. Applied to whole lines, so a
// marker that only forms where an echoed name meets our own text is caught too.
std::string escapeEcho(std::string_view text);

// Where the converter's standard output goes: a real stream or, in tests, a recorder.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void write(std::string_view data) = 0;
    virtual void flush() = 0;
};

// Standard output through stdio; each flush() is one delivery to the reader.
class StdoutSink : public Sink {
public:
    StdoutSink();
    void write(std::string_view data) override;
    void flush() override;
};

// Records deliveries (the text between flushes), for tests.
class RecordingSink : public Sink {
public:
    void write(std::string_view data) override { pending_ += data; }
    void flush() override;
    std::string all() const;
    std::vector<std::string> deliveries;

private:
    std::string pending_;
};

enum class Status { Done = 0, Warning = 1, Error = 2 };

class Reporter {
public:
    explicit Reporter(Sink& sink) : sink_(sink) {}
    // One progress line, escaped and flushed so the front-end's log shows it at once.
    void line(std::string_view text);
    // The single final status line: "Done.", "Warning: <text>" or "Error. <text>".
    // Returns the exit status (0, 1, 2).
    int finish(Status status, std::string_view text = {});
    bool finished() const { return finished_; }

private:
    Sink& sink_;
    bool finished_ = false;
};

}  // namespace cfgconv
