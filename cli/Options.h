#pragma once
// Command-line options shared by the console commands.

#include <string>
#include <vector>

#include "cli/Commands.h"

namespace twick::cli {

struct Options {
  int mode = 1;    // --mode: auto1
  int format = 0;  // --format: base64
  std::string outputDir;
  std::string output;
  bool overwrite = false;
  bool ask = false;
  bool help = false;
  std::vector<std::string> files;
};

/// Which options a command takes.
struct OptionSet {
  bool mode = false;
  bool format = false;
  bool binhex = false;  // --format binhex is allowed
  bool outputDir = false;
  bool output = false;
  bool ask = false;
};

/// Parses `args`; on a usage error prints the problem and `usage` to stderr
/// and returns false.
bool ParseOptions(const Args& args, const OptionSet& allowed, const std::string& command,
                  const char* usage, Options& options);

/// The --output-dir folder must exist; prints a "File Error:" line when not.
bool CheckOutputDir(const Options& options);

/// True when the output-name question can be answered (a terminal, or --ask).
bool CanAsk(const Options& options);

}  // namespace twick::cli
