// The running test's process id, for names of temporary files and folders.
#pragma once

#ifdef _WIN32
#include <process.h>
inline int processId() {
    return _getpid();
}
#else
#include <unistd.h>
inline int processId() {
    return static_cast<int>(::getpid());
}
#endif
