#include "platform/picture/imagebuffer.h"

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <mutex>
#include <vector>

namespace fw::pic {

namespace {

// Buffers of at least this size come from the cache; smaller ones are plain heap memory.
constexpr std::size_t smallest = 256 * 1024;
constexpr std::size_t cachedCount = 3;
constexpr std::size_t cachedBytes = 24u << 20;

struct Block {
    void* data = nullptr;
    std::size_t capacity = 0;
};

class BufferCache {
public:
    Block take(std::size_t bytes) {
        {
            std::lock_guard lock(m_mutex);
            std::size_t best = m_free.size();
            for (std::size_t i = 0; i < m_free.size(); ++i) {
                const Block& b = m_free[i];
                // Not much bigger than asked, so that a small picture does not pin a big block.
                if (b.capacity >= bytes && b.capacity <= 2 * bytes &&
                    (best == m_free.size() || b.capacity < m_free[best].capacity))
                    best = i;
            }
            if (best != m_free.size()) {
                const Block found = m_free[best];
                m_free.erase(m_free.begin() + static_cast<std::ptrdiff_t>(best));
                m_freeBytes -= found.capacity;
                return found;
            }
        }
        const std::size_t page = 64 * 1024;
        const std::size_t capacity = (bytes + page - 1) / page * page;
        void* data =
            ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (data == MAP_FAILED)
            return {};
        return {data, capacity};
    }

    void give(Block block) {
        std::vector<Block> evicted;
        {
            std::lock_guard lock(m_mutex);
            m_free.push_back(block);
            m_freeBytes += block.capacity;
            // The oldest go first.
            while (m_free.size() > cachedCount || m_freeBytes > cachedBytes) {
                evicted.push_back(m_free.front());
                m_freeBytes -= m_free.front().capacity;
                m_free.erase(m_free.begin());
            }
        }
        for (const Block& b : evicted)
            ::munmap(b.data, b.capacity);
    }

private:
    std::mutex m_mutex;
    std::vector<Block> m_free;
    std::size_t m_freeBytes = 0;
};

BufferCache& cache() {
    // Never destroyed: images may be released during exit.
    static auto* instance = new BufferCache;
    return *instance;
}

struct Release {
    Block block;
};

void release(void* info) {
    auto* r = static_cast<Release*>(info);
    cache().give(r->block);
    delete r;
}

}  // namespace

QImage newImage(int width, int height, QImage::Format format) {
    if (width <= 0 || height <= 0)
        return {};
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const qint64 bytesPerLine = (qint64{width} * depth + 31) / 32 * 4;
    if (bytesPerLine > std::numeric_limits<int>::max() / 2)
        return {};
    const auto bytes = static_cast<std::size_t>(bytesPerLine) * static_cast<std::size_t>(height);
    if (bytes < smallest)
        return QImage(width, height, format);
    const Block block = cache().take(bytes);
    if (block.data == nullptr)
        return {};
    auto* info = new Release{block};
    QImage image(static_cast<uchar*>(block.data), width, height,
                 static_cast<qsizetype>(bytesPerLine), format, release, info);
    if (image.isNull())
        release(info);
    return image;
}

}  // namespace fw::pic
