// The converter program as a function, so tests can run it without a process.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cfgconv/report.hpp"

namespace cfgconv {

// Runs one job. `args` excludes the program name. Standard output goes to `out`
// (ending with exactly one status line for a job), usage and diagnostics for the
// log to `err`. Returns the exit status: 0 done, 1 written with warnings, 2 error.
int runConverter(const std::vector<std::string>& args, Sink& out, std::ostream& err);

}  // namespace cfgconv
