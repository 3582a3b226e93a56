#pragma once
// Work buffers come from an allocator that tests can make fail, so that the
// memory messages of the jobs can be exercised.

#include <cstddef>
#include <memory>

namespace twick {

class BufferAllocator {
 public:
  virtual ~BufferAllocator() = default;
  /// A buffer of `size` bytes, or null when memory is short.
  virtual std::unique_ptr<char[]> Allocate(size_t size) = 0;
};

/// Allocates from the heap without throwing.
BufferAllocator& HeapAllocator();

}  // namespace twick
