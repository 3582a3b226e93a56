#include "core/FileReader.h"

#include "core/Platform.h"

namespace twick {

namespace {

class DiskReader : public FileReader {
 public:
  long long ReadAt(int fd, char* buffer, size_t size, uint64_t offset) override {
    return platform::ReadAt(fd, buffer, size, offset);
  }
};

}  // namespace

FileReader& DiskFileReader() {
  static DiskReader reader;
  return reader;
}

}  // namespace twick
