#pragma once
// Picture-sized buffers that read as zero from the start but take memory only where they are written.
//
// Large blocks come straight from the kernel as anonymous pages, which are zero and become resident
// only when a write touches them: a view's buffers sized at start-up for every step and picture slot
// cost nothing until a frame, a step or an NG picture fills them, and sizing them does not write
// hundreds of megabytes of zeros before the first poll.
#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

// `bytes` bytes of zero memory: blocks of 256 KiB and more are anonymous pages, smaller ones come
// from calloc. Null when the memory cannot be had.
void* zeroPagesAlloc(size_t bytes);
// Gives back a block of zeroPagesAlloc, with the size it was taken with.
void zeroPagesFree(void* block, size_t bytes);

template <class T>
class ZeroPageAllocator {
    static_assert(std::is_trivial_v<T>, "zero pages hold plain values only");

public:
    using value_type = T;
    ZeroPageAllocator() noexcept = default;
    template <class U>
    ZeroPageAllocator(const ZeroPageAllocator<U>&) noexcept {}

    T* allocate(size_t n) {
        if (n > size_t(-1) / sizeof(T)) throw std::bad_alloc();
        void* p = zeroPagesAlloc(n * sizeof(T));
        if (!p) throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, size_t n) noexcept { zeroPagesFree(p, n * sizeof(T)); }
    // A value-initialised element is written nowhere: its memory is zero already.
    template <class U>
    void construct(U*) noexcept {}
    template <class U, class... A>
    void construct(U* p, A&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
    }
    friend bool operator==(const ZeroPageAllocator&, const ZeroPageAllocator&) noexcept { return true; }
    friend bool operator!=(const ZeroPageAllocator&, const ZeroPageAllocator&) noexcept { return false; }
};

// A buffer on zero pages. Size it with sizeZeroed (a fresh zero block each time): resize() would
// reuse the bytes left beyond the size inside the capacity as they are.
template <class T>
using ZeroVector = std::vector<T, ZeroPageAllocator<T>>;
using PictureBuffer = ZeroVector<unsigned char>;

// v becomes n zero elements (none: no memory).
template <class T>
void sizeZeroed(ZeroVector<T>& v, size_t n) {
    ZeroVector<T>(n).swap(v);
}
