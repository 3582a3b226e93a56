#pragma once
// Reads a source whose lines end in CR alone (classic Mac text) as if they
// ended in LF. Whether a source is such a file is settled once, by its first
// block: more lone CRs (CRs not followed by LF) than LFs. That takes in a
// Mac file handed on with a few LF lines around it (mail headers, a note at
// the end). In such a source every lone CR reads as LF; CR LF stays as it
// is. Other sources are read unchanged. The bytes keep their offsets, so the
// text reader's offsets stay true file offsets.

#include "core/FileReader.h"

namespace twick {

class CrLineReader : public FileReader {
 public:
  explicit CrLineReader(FileReader& inner) : inner_(inner) {}
  long long ReadAt(int fd, char* buffer, size_t size, uint64_t offset) override;
  /// True once the source was found to end its lines in CR alone.
  bool CrOnly() const { return crOnly_; }

 private:
  void Settle(int fd);

  FileReader& inner_;
  bool settled_ = false;
  bool crOnly_ = false;
};

}  // namespace twick
