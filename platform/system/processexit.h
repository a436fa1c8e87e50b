#pragma once
#include <functional>

// Ends the process with a status (after Qt's and the C library's normal clean-up). When a hook is
// installed (tests), the hook is called instead and ProcessExit returns: callers return right after it.
void ProcessExit(int status);
void setProcessExitHook(std::function<void(int)> hook);
