#include "platform/picture/jpegmemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace fw::pic {

namespace {

constexpr std::size_t alignment = 64;
constexpr std::size_t growth = std::size_t{1} << 20;

std::size_t roundUp(std::size_t value, std::size_t step) {
    return (value + step - 1) / step * step;
}

class Region {
public:
    void* take(j_common_ptr cinfo, std::size_t size) {
        if (!cinfo->is_decompressor || size > largestKept)
            return std::malloc(size);
        const std::size_t need = roundUp(size, alignment);
        std::lock_guard lock(m_mutex);
        if (m_live == 0) {
            // Nobody uses the region: this decoder starts a picture in it.
            m_owner = cinfo;
            m_top = 0;
            m_wanted = 0;
            m_spilled = false;
            if (need > m_capacity)
                remap(need);
        } else if (cinfo != m_owner) {
            return std::malloc(size);
        }
        m_wanted += need;
        if (need <= m_capacity - m_top) {
            void* block = m_base + m_top;
            m_top += need;
            ++m_live;
            ++m_stats.served;
            return block;
        }
        if (!m_spilled) {
            // Pages kept from an earlier picture beyond what this one uses would add to it.
            m_spilled = true;
            const std::size_t used = roundUp(m_top, pageSize());
            if (used < m_capacity)
                ::madvise(m_base + used, m_capacity - used, MADV_DONTNEED);
        }
        ++m_stats.spilled;
        return std::malloc(size);
    }

    void give(void* block) {
        std::lock_guard lock(m_mutex);
        const auto* p = static_cast<const char*>(block);
        if (m_base == nullptr || p < m_base || p >= m_base + m_capacity) {
            std::free(block);
            return;
        }
        // The decoder has freed all it took from the region: the next one starts at the
        // bottom. When this picture did not fit, the region is made as big as it wanted, for
        // the next one like it.
        if (--m_live == 0 && m_wanted > m_capacity && m_wanted <= largestKept)
            remap(m_wanted);
    }

    void release() {
        std::lock_guard lock(m_mutex);
        if (m_live == 0 && m_base != nullptr)
            ::madvise(m_base, m_capacity, MADV_DONTNEED);
    }

    JpegMemoryStats stats() {
        std::lock_guard lock(m_mutex);
        JpegMemoryStats s = m_stats;
        s.capacity = m_capacity;
        return s;
    }

private:
    static std::size_t pageSize() {
        static const auto size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        return size;
    }

    // Only while no block of the region is in use.
    void remap(std::size_t bytes) {
        if (m_base != nullptr)
            ::munmap(m_base, m_capacity);
        m_capacity = roundUp(bytes, growth);
        void* base =
            ::mmap(nullptr, m_capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        m_base = base == MAP_FAILED ? nullptr : static_cast<char*>(base);
        if (m_base == nullptr)
            m_capacity = 0;
    }

    std::mutex m_mutex;
    char* m_base = nullptr;
    std::size_t m_capacity = 0;
    j_common_ptr m_owner = nullptr;  // the decoder that took the blocks in use
    std::size_t m_live = 0;          // blocks of the region in use
    std::size_t m_top = 0;           // the region's bytes they take
    std::size_t m_wanted = 0;        // the bytes their decoder asked for, in the region or not
    bool m_spilled = false;
    JpegMemoryStats m_stats;
};

Region& region() {
    // Never destroyed: libjpeg may free blocks during exit.
    static auto* instance = new Region;
    return *instance;
}

// A thread that decoded a JPEG gives the region's pages back when it ends.
struct ThreadRelease {
    ~ThreadRelease() { releaseJpegMemory(); }
};

}  // namespace

void releaseJpegMemory() {
    region().release();
}

JpegMemoryStats jpegMemoryStats() {
    return region().stats();
}

}  // namespace fw::pic

extern "C" {

void* jpeg_get_large(j_common_ptr cinfo, std::size_t size) {
    if (cinfo->is_decompressor) {
        thread_local fw::pic::ThreadRelease release;
        (void)release;
    }
    return fw::pic::region().take(cinfo, size);
}

void jpeg_free_large(j_common_ptr, void* object, std::size_t) {
    fw::pic::region().give(object);
}

}  // extern "C"
