#include "processexit.h"

#include <cstdlib>

namespace {
std::function<void(int)>& hook() {
    static std::function<void(int)> h;
    return h;
}
}  // namespace

void ProcessExit(int status) {
    if (hook()) {
        hook()(status);
        return;
    }
    std::exit(status);
}

void setProcessExitHook(std::function<void(int)> h) {
    hook() = std::move(h);
}
