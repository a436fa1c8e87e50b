#include "startup.h"

int main(int argc, char* argv[]) {
    return runMonitor(argc, argv);
}
