// Helper process for tst_controlport: ends itself through Exit(status).
#include <cstdio>
#include <cstdlib>

#include "io/ledcontrol.h"

namespace {
struct AtEnd {
    ~AtEnd() { std::puts("static destructors ran"); }
} atEnd;
}  // namespace

int main(int argc, char** argv) {
    Exit(argc > 1 ? std::atoi(argv[1]) : 0);
    std::puts("Exit returned");
    return 99;
}
