#include "core/InputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace twick {

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
  Close();
  int fd = OpenRegularFileForReading(path);
  if (fd < 0) return false;
  fd_ = fd;
  path_ = path;
  identity_ = IdentityOfDescriptor(fd);
  return true;
}

void InputFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

uint64_t InputFile::Length() const {
  struct stat st {};
  if (fd_ < 0 || fstat(fd_, &st) != 0) return 0;
  return static_cast<uint64_t>(st.st_size);
}

long long InputFile::Read(char* buffer, size_t size) {
  if (fd_ < 0) return -1;
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::read(fd_, buffer + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<long long>(done);
}

}  // namespace twick
