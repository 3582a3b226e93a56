#include "core/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace twick {

namespace {

class DiskOpener : public OutputOpener {
 public:
  std::unique_ptr<OutputSink> Create(const std::string& path,
                                     const OutputOptions& options) override {
    if (path.empty()) return nullptr;
    // Open without truncating first: the checks below must run before any
    // byte of an existing file is lost. O_NONBLOCK keeps a FIFO from blocking.
    int flags = O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC;
    if (!options.followLinks) flags |= O_NOFOLLOW;
    int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || IdentityOfDescriptor(fd) == options.source) {
      ::close(fd);
      return nullptr;
    }
    int fl = fcntl(fd, F_GETFL);
    if (fl < 0 || fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) != 0 || ftruncate(fd, 0) != 0) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<OutputFile>(fd);
  }
};

}  // namespace

OutputOpener& DiskOutputOpener() {
  static DiskOpener opener;
  return opener;
}

OutputFile::OutputFile(int fd) : fd_(fd) { buffer_.reserve(kBufferSize); }

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Flush() {
  size_t done = 0;
  while (!failed_ && done < buffer_.size()) {
    ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      break;
    }
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
  return !failed_;
}

bool OutputFile::Write(const char* data, size_t size) {
  if (failed_ || fd_ < 0) return false;
  if (buffer_.size() + size > kBufferSize && !Flush()) return false;
  if (size >= kBufferSize) {
    buffer_.assign(data, data + size);
    return Flush();
  }
  buffer_.insert(buffer_.end(), data, data + size);
  return true;
}

bool OutputFile::SetLength(uint64_t length) {
  if (failed_ || fd_ < 0 || !Flush()) return false;
  if (ftruncate(fd_, static_cast<off_t>(length)) != 0) failed_ = true;
  return !failed_;
}

bool OutputFile::Close() {
  if (fd_ < 0) return !failed_;
  Flush();
  if (::close(fd_) != 0) failed_ = true;
  fd_ = -1;
  return !failed_;
}

}  // namespace twick
