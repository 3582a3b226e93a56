#pragma once
// Files posted in several parts and saved into one source. When a UU or XX
// section stops before its end line, or a Base64 section whose header is
// numbered as part 1 stops, the parts of the same file are located once (see
// PartLocator): those posted ahead of part 1 and those that follow it. The
// decoder then reads them in part order, each once, by seeking; the search
// for the next section goes on after the last part in the source.
//
// A yEnc part opens with its own "=ybegin" line that numbers it. At the
// first part met, every part of the file from there on is located and the
// decoder reads them in part order, each from its "=ybegin" line; the parts
// read are remembered so that the search for sections passes over them.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/TextStream.h"
#include "jobs/PartLocator.h"
#include "jobs/Section.h"

namespace twick {

/// The parts of a section's file that were never read.
struct MissingParts {
  /// A run of missing part numbers, `first` to `last`.
  struct Run {
    int first = 0;
    int last = 0;
  };
  /// The number of parts the markers announce (0: none seen).
  int total = 0;
  /// How many of them are missing, and the first runs of them in order.
  int count = 0;
  std::vector<Run> runs;
  /// Parts found twice with different data (the first copy was read).
  std::vector<int> conflicting;
};

struct YEncFields;

/// Parts read, by source path and the offset of their first line.
using YEncPartsRead = std::set<std::pair<std::string, uint64_t>>;

class SplitPlan {
 public:
  /// Starts the plan of a section; the search for it began at `searchStart`.
  void Begin(const Section& section, uint64_t searchStart);
  /// The other files given with the source, in which further parts of a
  /// numbered file are looked for when the source lacks some; the list must
  /// outlive the plan's use.
  void SetOtherSources(const std::vector<std::string>* sources) { otherSources_ = sources; }
  /// The yEnc parts that jobs of one command read from files other than
  /// their own, by path and "=ybegin" offset, so that the job of such a file
  /// passes over them; null when the job runs alone.
  void SetYEncPartsRead(YEncPartsRead* read) { yencPartsReadByCommand_ = read; }
  /// The other files that parts were read from, each once, in the order
  /// first read, over every section since the list was last taken.
  std::vector<std::string> TakeSourcesRead();

  /// Called where the section's data stop at a blank line or the end of the
  /// stream: true when the file goes on in a further part, the stream then
  /// standing at that part's first data line (or at the closing line that
  /// follows blank lines). Otherwise the stream is left where it was.
  bool FindContinuation(TextStream& in);
  /// A marker of `part` inside the section's data, before any part was
  /// located: true (and the part counted as read) when it is the next part
  /// in order, so the data go on in the same run of lines.
  bool TakeNextPartInLine(int part);
  /// Whether FindContinuation has moved the stream to a further part.
  bool ReadingFurtherPart() const { return nextPart_ > 0; }
  /// After the section: when its parts were read out of order, moves the
  /// stream past the last part in the source, so no part is taken for a
  /// section of its own. When a part was read from another file, the source
  /// is opened again first (the stream fails when it cannot be).
  void SkipPastParts(TextStream& in);

  /// Whether a yEnc section whose "=ybegin" line is at `offset` was read as
  /// a part of a file decoded earlier in the job.
  bool YEncPartRead(uint64_t offset) const { return yencPartsRead_.count(offset) != 0; }

  /// The announced parts that were not read; at most `listed` runs given.
  /// The time taken grows with the parts read, not with the total.
  MissingParts Missing(size_t listed) const;

 private:
  /// At the section's first gap: finds the parts of its file and the order
  /// to read them in.
  void LocateParts(TextStream& in);
  /// The next part of a yEnc file, its parts located at the first call.
  bool NextYEncPart(TextStream& in);
  /// Adds the parts of a yEnc file that the other sources hold.
  void LocateYEncInOtherSources(const YEncFields& file);
  /// Adds the parts of the file found in the other sources.
  void LocateInOtherSources(PartLocator& locator) const;
  /// Moves the stream to the file that holds `source` (0: the source
  /// itself); false when it cannot be opened.
  bool OpenSource(TextStream& in, int source);
  /// The path of `source` (0: the section's own).
  const std::string& SourcePath(int source) const {
    return source == 0 ? sourcePath_ : (*otherSources_)[static_cast<size_t>(source - 1)];
  }
  /// Moves the stream to the next part in the plan, in whichever file holds
  /// it; false (the source read on where it was left) when that file
  /// cannot be opened.
  bool GoToNextPart(TextStream& in);

  int format_ = 0;
  bool beginHeader_ = false;
  bool equalsLineEnds_ = false;
  /// Where the search for the section began and where its data begin.
  uint64_t searchStart_ = 0;
  uint64_t dataStart_ = 0;
  /// The parts read, in the order met (the first is 1), and the number of
  /// parts the markers announce (0: none seen).
  std::vector<int> partsSeen_;
  int partTotal_ = 0;
  /// The further parts, in part order, once located; the next one to read;
  /// the offset after the last part in the source.
  bool partsLocated_ = false;
  std::vector<PartRange> parts_;
  std::vector<int> conflicting_;
  size_t nextPart_ = 0;
  uint64_t resumeAt_ = 0;
  /// The "=ybegin" lines of the yEnc parts read in this job.
  std::unordered_set<uint64_t> yencPartsRead_;
  /// Where the section's first gap began in the source.
  uint64_t gap_ = 0;
  const std::vector<std::string>* otherSources_ = nullptr;
  YEncPartsRead* yencPartsReadByCommand_ = nullptr;
  /// The source's own path and the one the stream reads now.
  std::string sourcePath_;
  int currentSource_ = 0;
  std::vector<std::string> sourcesRead_;
};

}  // namespace twick
