#include "core/FileReader.h"

#include <unistd.h>

#include <cerrno>

namespace twick {

namespace {

class DiskReader : public FileReader {
 public:
  long long ReadAt(int fd, char* buffer, size_t size, uint64_t offset) override {
    size_t done = 0;
    while (done < size) {
      ssize_t n = ::pread(fd, buffer + done, size - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return -1;
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    return static_cast<long long>(done);
  }
};

}  // namespace

FileReader& DiskFileReader() {
  static DiskReader reader;
  return reader;
}

}  // namespace twick
