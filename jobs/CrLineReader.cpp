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
  const auto size = static_cast<size_t>(got);
  size_t lineFeeds = 0, loneReturns = 0;
  for (size_t k = 0; k < size; ++k) {
    if (first[k] == '\n') ++lineFeeds;
    // A CR at the block's end counts as lone: one line more or less does
    // not change the answer.
    if (first[k] == '\r' && (k + 1 == size || first[k + 1] != '\n')) ++loneReturns;
  }
  crOnly_ = loneReturns > lineFeeds;
}

long long CrLineReader::ReadAt(int fd, char* buffer, size_t size, uint64_t offset) {
  if (!settled_) Settle(fd);
  const long long got = inner_.ReadAt(fd, buffer, size, offset);
  if (!crOnly_ || got <= 0) return got;
  char* const end = buffer + got;
  for (char* cr = std::find(buffer, end, '\r'); cr != end; cr = std::find(cr + 1, end, '\r')) {
    if (cr + 1 < end) {
      if (cr[1] != '\n') *cr = '\n';
      continue;
    }
    // The block ends in CR: the byte after it tells whether it is CR LF.
    char next = 0;
    if (inner_.ReadAt(fd, &next, 1, offset + static_cast<uint64_t>(got)) != 1 || next != '\n')
      *cr = '\n';
  }
  return got;
}

}  // namespace twick
