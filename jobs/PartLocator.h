#pragma once
// Finds the parts of a file posted in parts and saved into one source. A
// part is a run of data lines (up to a blank line) after a gap of other
// lines: a Subject line, a posting program's part line, message/partial
// headers, which may number it. Only numbers and offsets are kept, never the
// data, so memory does not grow with the input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/TextStream.h"

namespace twick {

/// What numbers a part: "Part 2 of 24" and the like, or a message/partial
/// header with its number, total and id. A posting program's part line may
/// also name the file ("Part 2 of 24 of file x.bin").
struct PartMarker {
  int part = 0;
  int total = 0;
  std::string id;
  std::string name;
  /// Taken from a message/partial header: the numbering of the posting
  /// itself, which the lines of the message it carries do not change.
  bool partial = false;

  bool Marked() const { return part >= 1 && total > 1 && part <= total; }
  /// Says which file it belongs to, beyond the total.
  bool Identified() const { return !id.empty() || !name.empty(); }
  /// Both number parts of one file: same total, and same id and name where
  /// both have one.
  bool SameFile(const PartMarker& other) const {
    return Marked() && other.Marked() && total == other.total &&
           (id.empty() || other.id.empty() || id == other.id) &&
           (name.empty() || other.name.empty() || name == other.name);
  }
};

/// One part: its number and its lines, from `start` (its first data line)
/// up to `end`, in the source being decoded (`source` 0) or in another file
/// given with it (`source` k: the k-th of those files).
struct PartRange {
  int number = 0;
  uint64_t start = 0;
  uint64_t end = 0;
  int source = 0;
};

class PartLocator {
 public:
  /// `format` is kFormatUU, kFormatXX or kFormatBase64.
  explicit PartLocator(int format) : format_(format) {}

  /// The marker of the data that starts at `to`: the one in the gap that
  /// ends there, read from `from` on.
  PartMarker MarkerBefore(TextStream& in, uint64_t from, uint64_t to);
  /// Sets the marker of the part that holds the header (part 1).
  void SetFirst(const PartMarker& first) { file_ = first; }
  /// The source the parts found from now on lie in (see PartRange).
  void SetSource(int source) { source_ = source; }
  /// Adds the parts of this file found in [from, to): those posted ahead of
  /// part 1. Only marked parts of the same file count; the rest is passed over.
  void CollectBetween(TextStream& in, uint64_t from, uint64_t to);
  /// Adds the parts that follow one another from `from` on, until another
  /// section, a long gap, or data that is not a part of this file; returns
  /// the offset after the last part (`from` when there is none).
  uint64_t CollectFollowing(TextStream& in, uint64_t from);

  /// The parts found, in part order, each number once (the first one found
  /// is kept), part 1 left out.
  std::vector<PartRange> InPartOrder() const;
  /// The numbers of the parts found twice or more with different data (the
  /// first copy is the one read); `first` is part 1 as the header holds it.
  /// Parts in other sources are read from `otherSources`.
  std::vector<int> Conflicting(TextStream& in, const PartRange& first,
                               const std::vector<std::string>& otherSources = {}) const;
  /// The number of parts the markers announce; 0 when none did.
  int Total() const { return file_.Marked() ? file_.total : 0; }

 private:
  struct Run {
    PartMarker marker;  // of the gap before it; unmarked when it had none
    PartRange range;
    bool closingOnly = false;  // it holds only the closing lines of UU/XX data
  };
  /// Reads the next gap and the run after it; false at `to`, at the end of
  /// the stream or, with `following`, at another section's header or a
  /// gap too long to be one between parts.
  bool NextRun(TextStream& in, uint64_t to, bool following, Run& run);
  /// Takes what a gap line says about the next part into `marker`.
  void TakeMarker(std::string_view line, PartMarker& marker);
  bool StartsRun(std::string_view line) const;
  bool Add(int number, const PartRange& range);

  int format_;
  int source_ = 0;
  PartMarker file_;
  std::vector<PartRange> parts_;
  bool inPartialField_ = false;  // reading a folded message/partial header
  PartMarker pending_;           // the marker of the gap being read
};

}  // namespace twick
