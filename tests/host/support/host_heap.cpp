// Text heap on the C heap, counting blocks so tests can find leaks and count
// allocations.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>

#include "app/fatal.h"
#include "app/text_heap.h"
#include "tests/host/support/host_support.h"

namespace {
std::mutex& HeapLock() {
    static std::mutex lock;
    return lock;
}
std::set<const void*>& LiveBlocks() {
    static std::set<const void*> blocks;
    return blocks;
}
std::atomic<int64_t> allocations{0};
} // namespace

Text AllocateText(int32_t size) {
    void* block = size >= 0 ? std::malloc(size > 0 ? static_cast<size_t>(size) : 1) : nullptr;
    if (block == nullptr) {
        char message[64];
        std::snprintf(message, sizeof message, "\xB7\xD6\xC5\xE4 %d \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!", size);
        FatalRuntimeError(message);
    }
    ++allocations;
    std::lock_guard<std::mutex> guard(HeapLock());
    LiveBlocks().insert(block);
    return static_cast<Text>(block);
}

void FreeText(const char* text) {
    if (text == nullptr) return;
    std::lock_guard<std::mutex> guard(HeapLock());
    // Only blocks this heap handed out are released; constants are left alone.
    auto found = LiveBlocks().find(text);
    if (found == LiveBlocks().end()) return;
    LiveBlocks().erase(found);
    std::free(const_cast<char*>(text));
}

int64_t HostLiveTexts() {
    std::lock_guard<std::mutex> guard(HeapLock());
    return static_cast<int64_t>(LiveBlocks().size());
}

int64_t HostAllocationCount() { return allocations.load(); }

bool HostIsLiveText(const void* text) {
    std::lock_guard<std::mutex> guard(HeapLock());
    return LiveBlocks().count(text) != 0;
}
