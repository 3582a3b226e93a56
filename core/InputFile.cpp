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
  offset_ = 0;
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
  long long got = reader_.ReadAt(fd_, buffer, size, offset_);
  if (got > 0) offset_ += static_cast<uint64_t>(got);
  return got;
}

}  // namespace twick
