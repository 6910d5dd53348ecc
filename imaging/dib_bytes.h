// The byte vector that holds a packed DIB. Growing it does not zero the new bytes (every
// writer fills what it allocates), and large blocks are given to the system as huge-page
// candidates, so that a 150 MB image costs few page faults.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace nv {

// Allocates large blocks aligned for huge pages; small ones through operator new.
void* AllocateImageMemory(size_t bytes);
void FreeImageMemory(void* block, size_t bytes) noexcept;

// A std::allocator whose value-initialising construct leaves bytes as they are.
template <class T> struct ImageAllocator
{
    using value_type = T;

    ImageAllocator() noexcept = default;
    template <class U> ImageAllocator(const ImageAllocator<U>&) noexcept {}

    T* allocate(size_t n)
    {
        if (n > size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(AllocateImageMemory(n * sizeof(T)));
    }
    void deallocate(T* p, size_t n) noexcept { FreeImageMemory(p, n * sizeof(T)); }

    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(static_cast<Args&&>(args)...);
    }

    template <class U> bool operator==(const ImageAllocator<U>&) const noexcept { return true; }
};

using DIBBytes = std::vector<unsigned char, ImageAllocator<unsigned char>>;

} // namespace nv
