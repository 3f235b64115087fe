// A scripted stand-in for the converter, used by the front-end tests.
//
// Each run appends its arguments to "standin-calls.txt" in the working
// directory (one "call" line, then one "arg" line per argument), then plays
// "standin-script.txt" from the working directory, line by line:
//   out TEXT     write TEXT to standard output and flush (escapes below)
//   err TEXT     write TEXT to standard error and flush
//   sleep MS     pause
//   exit CODE    end with that exit code
//   crash        end by a signal (abort); on Windows by a crash status
// Escapes in TEXT: \n \r \\ and \xHH. Without a script the run prints
// nothing and exits 0.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        }
    }
    return out;
}

void write(FILE* stream, const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

}  // namespace

int main(int argc, char* argv[]) {
    {
        std::ofstream calls("standin-calls.txt", std::ios::app | std::ios::binary);
        calls << "call\n";
        for (int i = 1; i < argc; ++i) {
            calls << "arg " << argv[i] << '\n';
        }
    }
    std::ifstream script("standin-script.txt", std::ios::binary);
    std::string line;
    while (std::getline(script, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto blank = line.find(' ');
        const std::string verb = line.substr(0, blank);
        const std::string rest =
            blank == std::string::npos ? std::string() : line.substr(blank + 1);
        if (verb == "out" || verb == "err") {
            write(verb == "out" ? stdout : stderr, unescape(rest));
        } else if (verb == "sleep") {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(rest.c_str())));
        } else if (verb == "exit") {
            return std::atoi(rest.c_str());
        } else if (verb == "crash") {
#ifdef _WIN32
            // abort() ends a Windows program with exit code 3, which counts as a normal
            // exit; a crash ends it with an NTSTATUS code such as this fast-fail one.
            TerminateProcess(GetCurrentProcess(), 0xC0000409);
#endif
            std::signal(SIGABRT, SIG_DFL);
            std::abort();
        }
    }
    return 0;
}
