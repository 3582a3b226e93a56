#include "core/Memory.h"

#include <new>

namespace twick {

namespace {
class Heap : public BufferAllocator {
 public:
  std::unique_ptr<char[]> Allocate(size_t size) override {
    return std::unique_ptr<char[]>(new (std::nothrow) char[size]);
  }
};
}  // namespace

BufferAllocator& HeapAllocator() {
  static Heap heap;
  return heap;
}

}  // namespace twick
