#include "jobs/CrLineReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace twick {

void CrLineReader::Settle(int fd) {
  settled_ = true;
  std::vector<char> first(64 * 1024);
  const long long got = inner_.ReadAt(fd, first.data(), first.size(), 0);
  if (got <= 0) return;
  const auto end = first.begin() + got;
  crOnly_ =
      std::find(first.begin(), end, '\n') == end && std::find(first.begin(), end, '\r') != end;
}

long long CrLineReader::ReadAt(int fd, char* buffer, size_t size, uint64_t offset) {
  if (!settled_) Settle(fd);
  const long long got = inner_.ReadAt(fd, buffer, size, offset);
  if (crOnly_ && got > 0) std::replace(buffer, buffer + got, '\r', '\n');
  return got;
}

}  // namespace twick
