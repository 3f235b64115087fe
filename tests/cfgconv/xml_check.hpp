// Well-formedness checks with a real XML parser (xmllint from libxml2-utils).
#pragma once

#include <string>

// True when xmllint accepts the file; *why gets xmllint's complaint otherwise.
bool xmlFileWellFormed(const std::string& path, std::string* why);
