// QuillmoorConverter.exe: the command-line converter the Quillmoor front-end runs.
#include <iostream>
#include <string>
#include <vector>

#include "cfgconv/app.hpp"
#include "cfgconv/fileio.hpp"

int main(int argc, char** argv) {
    cfgconv::installInterruptCleanup();
    std::vector<std::string> args(argv + 1, argv + argc);
    cfgconv::StdoutSink out;
    return cfgconv::runConverter(args, out, std::cerr);
}
