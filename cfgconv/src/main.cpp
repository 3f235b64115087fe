// QuillmoorConverter.exe: the command-line converter the Quillmoor front-end runs.
#include <iostream>
#include <string>
#include <vector>

#include "cfgconv/app.hpp"
#include "cfgconv/fileio.hpp"

#ifdef _WIN32
#include <windows.h>

// Arguments as UTF-8 whatever the console code page, like on the other platforms.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string s(n > 0 ? n - 1 : 0, '\0');
        if (n > 1)
            WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, s.data(), n, nullptr, nullptr);
        args.push_back(std::move(s));
    }
    cfgconv::installInterruptCleanup();
    cfgconv::StdoutSink out;
    return cfgconv::runConverter(args, out, std::cerr);
}
#else
int main(int argc, char** argv) {
    cfgconv::installInterruptCleanup();
    std::vector<std::string> args(argv + 1, argv + argc);
    cfgconv::StdoutSink out;
    return cfgconv::runConverter(args, out, std::cerr);
}
#endif
