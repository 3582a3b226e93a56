#pragma once
// The names one command must not write over: the outputs it has already
// written and the inputs it has yet to read. A command that runs several
// jobs (one per FILE argument) hands the same set to each, so that no output
// replaces another output or a later input, whatever the overwrite setting.

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace twick {

class CommandNames {
 public:
  /// An input the command will read later (once per time it is given).
  void AddLaterInput(const std::string& path);
  /// The command now reads `path`: it is no longer a later input (writing
  /// over the file being read is refused where the output is created).
  void StartInput(const std::string& path);
  /// An output the command has written.
  void AddWritten(const std::string& path);
  /// True when `path` names an output already written or a later input
  /// (by its text, or by the file it names when that file is an input).
  bool Taken(const std::string& path) const;

 private:
  using Identity = std::pair<uint64_t, uint64_t>;  // device, inode
  static bool IdentityOfPath(const std::string& path, Identity& identity);

  std::unordered_set<std::string> written_;
  // Later inputs by their text and by the file they name, each counted as
  // often as it was given.
  std::unordered_map<std::string, int> laterPaths_;
  std::map<Identity, int> laterFiles_;
};

}  // namespace twick
