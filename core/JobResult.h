#pragma once
// What a job did, in one value: every front end draws its messages, its log
// and its exit status from this alone.

#include <string>
#include <vector>

namespace twick {

struct JobResult {
  /// The files completely written, in order.
  std::vector<std::string> written;
  /// Outputs moved to a numbered name because their own was written or is
  /// to be read by the same command.
  struct Renamed {
    std::string wanted;
    std::string saved;
  };
  std::vector<Renamed> renamedInCommand;
  // Sections of a decode job; the encode job and the converter count their
  // one file the same way.
  int found = 0;
  int done = 0;     // decoded (or encoded, converted) and written
  int failed = 0;   // the output could not be created or written, or data was lost
  int skipped = 0;  // the user declined to name an output
  bool sourceOpened = false;
  /// The source was read to its end without a read error.
  bool sourceReadToEnd = false;
  /// The user stopped the job; what was finished before is kept.
  bool stopped = false;
  /// The job as a whole succeeded (what its window shows as finished).
  bool succeeded = false;

  /// Succeeded with nothing failed or skipped on the way.
  bool Complete() const { return succeeded && failed == 0 && skipped == 0; }
};

}  // namespace twick
