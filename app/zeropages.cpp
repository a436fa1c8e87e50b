#include "zeropages.h"

#include <cstdlib>
#include <sys/mman.h>

namespace {
constexpr size_t kPagedFrom = 256 * 1024;
}

void* zeroPagesAlloc(size_t bytes) {
    if (bytes < kPagedFrom) return std::calloc(bytes ? bytes : 1, 1);
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}

void zeroPagesFree(void* block, size_t bytes) {
    if (!block) return;
    if (bytes < kPagedFrom)
        std::free(block);
    else
        munmap(block, bytes);
}
