#pragma once
// The encode job: turns one source file into one encoded text file in the
// chosen format, talking to the user only through its JobWindow.

#include <string>
#include <vector>

#include "core/CommandNames.h"
#include "core/EncodeContext.h"
#include "core/InputFile.h"
#include "core/JobResult.h"
#include "core/Memory.h"
#include "core/OutputFile.h"

namespace twick {

class CEncodeJob : public EncodeContext {
 public:
  explicit CEncodeJob(JobWindow& window, OutputOpener& opener = DiskOutputOpener(),
                      BufferAllocator& allocator = HeapAllocator())
      : EncodeContext(window, allocator), m_opener(opener) {}

  // Set by the creator before the run.
  bool m_bUseDefName = true;
  bool m_bOverwrite = false;
  /// Whether the output may replace a file at its path (settled by the job).
  bool m_bReplaceOutput = false;
  bool m_bPause = true;
  std::string m_strSource;
  /// The name the source goes by when its path does not say it (standard
  /// input); empty to use the name of the source's path.
  std::string m_strSourceName;
  std::string m_strEncodeDir;  // empty, or a folder ending with the separator
  /// When not replacing: an output whose name is taken when it is committed
  /// goes to the next free numbered name (the console's --rename).
  bool m_bRenameOnConflict = false;
  /// The names the command running this job has written or will read; when
  /// null, the job keeps its own.
  CommandNames* m_pCommandNames = nullptr;

  // Set by the job.
  std::string m_strSourceDir;
  std::vector<std::string> m_arrOutput;
  /// What the last run did.
  JobResult m_result;

  /// Runs the whole job (the window is already shown).
  void RunEncodeJob();

  /// Sets `m_strOutput` from the title, the format and the output folder:
  /// the title's last extension is replaced by the format's (a title without
  /// a dot gets one added), cut to the longest name a file system takes;
  /// empty when the title is empty.
  void MakeOutputName();

 private:
  /// Settles `m_strOutput` with the user where the options ask for it;
  /// false when the user cancelled.
  bool SettleOutputName();
  /// Moves `m_strOutput` to a free numbered name when the command has
  /// written that name or will read it.
  void AvoidCommandNames();
  /// Creates the output and runs the encoder; true when all was written.
  bool EncodeInto(InputFile& in);

  CommandNames& Names() { return m_pCommandNames ? *m_pCommandNames : m_ownNames; }

  OutputOpener& m_opener;
  CommandNames m_ownNames;
};

/// The extension of an encoded file of `format` ("mme", "uue", "xxe", "b2a"),
/// empty for a format that cannot be encoded.
const char* EncodedExtension(int format);

}  // namespace twick
