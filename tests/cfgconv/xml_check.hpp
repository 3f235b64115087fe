// Well-formedness checks with a real XML parser (xmllint from libxml2-utils).
#pragma once

#include <string>

// True when xmllint accepts the document; *why gets xmllint's complaint otherwise.
bool xmlWellFormed(const std::string& document, std::string* why);
bool xmlFileWellFormed(const std::string& path, std::string* why);
