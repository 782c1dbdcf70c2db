// Owners of heap blocks. Loaded pictures and data files are blocks from the
// C heap (freed with std::free); a block held across a wait, a message box or
// any call that can unwind on quit lives in one of these owners, so that the
// unwinding frees it.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

struct HeapFree {
    void operator()(void* p) const { std::free(p); }
};

// A block of bytes (a DibImage or a whole data file).
using HeapBlock = std::unique_ptr<uint8_t, HeapFree>;
// A block seen as some other record type.
template <class T>
using HeapPtr = std::unique_ptr<T, HeapFree>;
