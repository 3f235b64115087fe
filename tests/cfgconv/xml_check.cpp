#include "xml_check.hpp"

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>

bool xmlFileWellFormed(const std::string& path, std::string* why) {
    std::string cmd = "xmllint --noout '" + path + "' 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) {
        *why = "cannot run xmllint";
        return false;
    }
    char buf[512];
    std::string out;
    while (std::fgets(buf, sizeof buf, p))
        out += buf;
    int rc = pclose(p);
    *why = out;
    return rc == 0;
}

bool xmlWellFormed(const std::string& document, std::string* why) {
    static int n = 0;
    auto path = std::filesystem::temp_directory_path() /
                ("cfgconv_xml_" + std::to_string(::getpid()) + "_" + std::to_string(++n) + ".xml");
    {
        std::ofstream out(path, std::ios::binary);
        out << document;
    }
    bool ok = xmlFileWellFormed(path.string(), why);
    std::filesystem::remove(path);
    return ok;
}
