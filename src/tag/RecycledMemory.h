#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace vantuke {

// Memory for objects of one class made and deleted in great numbers, one after another or
// many at a time (the files of a run): a deleted object's memory is kept, up to kKeep blocks
// per thread, for the next one, so that a long run does not allocate per file. What is kept
// is freed when the thread ends.
template <typename T, std::size_t kKeep> class RecycledMemory {
public:
    static void* Take(std::size_t size) {
        std::vector<void*>& blocks = Kept().blocks;
        if (size != sizeof(T) || blocks.empty())
            return ::operator new(size);
        void* memory = blocks.back();
        blocks.pop_back();
        return memory;
    }
    static void Give(void* memory, std::size_t size) {
        std::vector<void*>& blocks = Kept().blocks;
        if (size != sizeof(T) || blocks.size() >= kKeep)
            ::operator delete(memory);
        else
            blocks.push_back(memory);
    }

private:
    struct List {
        std::vector<void*> blocks;
        ~List() {
            for (void* memory : blocks)
                ::operator delete(memory);
        }
    };
    static List& Kept() {
        thread_local List list;
        return list;
    }
};

} // namespace vantuke
