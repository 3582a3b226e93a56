#pragma once
// The keyword lines of yEnc: "=ybegin" opens a file or one part of it
// ("part=" and "total=" numbering the part, "size=" the whole file's length,
// "name=" its name, the rest of the line), "=ypart" gives the part's first
// and last byte in the file ("begin=", "end=", counted from 1), and "=yend"
// closes the data with its length and CRC-32 ("size=", "part=", "pcrc32="
// of the part, "crc32=" of the whole file).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/TextStream.h"
#include "jobs/PartLocator.h"

namespace twick {

/// What one keyword line says; each value with whether the line gives it.
struct YEncFields {
  bool hasPart = false, hasTotal = false, hasSize = false, hasBegin = false, hasEnd = false;
  bool hasCrc = false, hasPartCrc = false;
  int part = 0;
  int total = 0;
  uint64_t size = 0, begin = 0, end = 0;
  uint32_t crc = 0, partCrc = 0;
  std::string name;
};

/// Whether the line is a "=ybegin" line (it opens a yEnc section).
bool IsYEncBeginLine(std::string_view line);

/// Reads the fields of `line` when it opens with `keyword` ("=ybegin",
/// "=ypart", "=yend") followed by a blank or nothing; false otherwise.
/// Values that are no numbers (or too large) are left unset.
bool ParseYEncLine(std::string_view line, std::string_view keyword, YEncFields& fields);

/// Whether the "=ybegin" fields of two parts belong to one file: same name,
/// same total and whole size where given.
bool SameYEncFile(const YEncFields& a, const YEncFields& b);

/// The "=ybegin" lines from `from` on that open a part of `file`, each as
/// its part number and the offset of its line (`start`; `end` is not used).
/// The search ends at the end of the stream, or once `file.total`
/// different parts are found. The stream is left where it ends.
std::vector<PartRange> FindYEncParts(TextStream& in, uint64_t from, const YEncFields& file);

}  // namespace twick
