// Converter jobs in-process, checked for the contract of every job: one status line ("Done.",
// "Warning: ..." or "Error. ..."), last, alone in its delivery, matching the exit status 0-2.
#pragma once

#include <gtest/gtest.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cfgconv/app.hpp"

namespace jobtest {

namespace fs = std::filesystem;

inline bool hasMarker(const std::string& s) {
    return s.find("Done.") != std::string::npos || s.find("Error.") != std::string::npos ||
           s.find("Warning:") != std::string::npos;
}

// True when `piece` occurs in `text`: EXPECT_PRED2(has, text, piece) shows both on failure.
inline bool has(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

inline std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void spit(const fs::path& p, const std::string& s) {
    std::ofstream out(p, std::ios::binary);
    out << s;
}

struct Job {
    int rc = -1;
    std::string out;
    std::string err;
    std::vector<std::string> lines() const {
        std::vector<std::string> v;
        std::istringstream in(out);
        for (std::string l; std::getline(in, l);)
            v.push_back(l);
        return v;
    }
    std::string status() const {
        auto l = lines();
        return l.empty() ? std::string() : l.back();
    }
    // The progress line before the status line.
    std::string lastProgress() const {
        auto l = lines();
        return l.size() < 2 ? std::string() : l[l.size() - 2];
    }
};

// Runs the converter on `args` and checks the contract of its output.
inline Job run(const std::vector<std::string>& args) {
    cfgconv::RecordingSink sink;
    std::ostringstream err;
    Job j;
    j.rc = cfgconv::runConverter(args, sink, err);
    sink.flush();
    j.out = sink.all();
    j.err = err.str();
    const auto lines = j.lines();
    EXPECT_FALSE(lines.empty());
    if (lines.empty() || sink.deliveries.empty())
        return j;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        EXPECT_FALSE(hasMarker(lines[i])) << "line " << i << ": " << lines[i];
    const std::string& s = lines.back();
    EXPECT_EQ(sink.deliveries.back(), s + "\n");
    EXPECT_TRUE(j.rc >= 0 && j.rc <= 2) << j.rc;
    EXPECT_TRUE(j.rc != 0 || s == "Done.") << s;
    EXPECT_EQ(s.rfind(j.rc == 1 ? "Warning: " : "Error. ", 0), j.rc == 0 ? std::string::npos : 0u)
        << s;
    for (const char* marker : {"Done.", "Error.", "Warning:"})
        EXPECT_EQ(s.find(marker, 1), std::string::npos) << s;
    return j;
}

// Runs a job that must succeed.
inline Job done(const std::vector<std::string>& args) {
    Job j = run(args);
    EXPECT_EQ(j.rc, 0) << ::testing::PrintToString(args) << ": " << j.status();
    return j;
}

// Runs a job that must fail with each of `says` in its status line.
inline Job refused(const std::vector<std::string>& args, std::initializer_list<std::string> says) {
    Job j = run(args);
    EXPECT_EQ(j.rc, 2) << ::testing::PrintToString(args) << ": " << j.status();
    for (const auto& piece : says)
        EXPECT_PRED2(has, j.status(), piece) << ::testing::PrintToString(args);
    return j;
}

#ifdef _WIN32
// Under Wine, a name of fewer than 255 UTF-16 units can exceed the host's 255 bytes of UTF-8.
inline bool underWine() {
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
#endif

#ifdef CFGCONV_EXE
struct Child {
    int rc = -1;  // the exit status; minus the signal that ended it
    std::string out;
};

#ifdef _WIN32
// The converter program through cmd.exe, which takes the whole line in one more pair of quotes.
inline Child runProgram(const std::vector<std::string>& args) {
    std::string cmd = "\"\"" + std::string(CFGCONV_EXE) + "\"";
    for (const auto& a : args)
        cmd += " \"" + a + "\"";
    cmd += " 2>NUL\"";
    Child c;
    FILE* p = ::_popen(cmd.c_str(), "rb");
    EXPECT_NE(p, nullptr) << cmd;
    if (p == nullptr)
        return c;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        c.out.append(buf, n);
    c.rc = ::_pclose(p);
    std::erase(c.out, '\r');
    return c;
}
#else
// Starts the converter program, its output to the pipe `fds` (else /dev/null), after `prepare`.
inline pid_t startProgram(const std::vector<std::string>& args, const int* fds = nullptr,
                          void (*prepare)() = nullptr) {
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(fds ? fds[1] : null, 1);
    ::dup2(null, 2);
    if (fds) {
        ::close(fds[0]);
        ::close(fds[1]);
    }
    if (prepare)
        prepare();
    std::vector<char*> argv{const_cast<char*>(CFGCONV_EXE)};
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(CFGCONV_EXE, argv.data());
    ::_exit(127);
}

// Runs the converter program, reading its output (closedReader: to a pipe already closed).
inline Child runProgram(const std::vector<std::string>& args, void (*prepare)() = nullptr,
                        bool closedReader = false) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    const pid_t pid = startProgram(args, fds, prepare);
    ::close(fds[1]);
    Child c;
    char buf[4096];
    for (ssize_t n; !closedReader && (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        c.out.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    c.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return c;
}
#endif
#endif

// A fresh folder per test, removed afterwards.
class FolderTest : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        const auto pid = ::GetCurrentProcessId();
#else
        const auto pid = ::getpid();
#endif
        dir = fs::temp_directory_path() /
              ("cfgconv_" + std::to_string(pid) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        fs::remove_all(dir);
    }
    // Names of the entries of a folder, sorted.
    static std::vector<std::string> entries(const fs::path& folder) {
        std::vector<std::string> v;
        for (const auto& e : fs::directory_iterator(folder))
            v.push_back(e.path().filename().string());
        std::sort(v.begin(), v.end());
        return v;
    }
    fs::path dir;
};

}  // namespace jobtest
