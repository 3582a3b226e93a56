#pragma once
// Command-line options shared by the console commands.

#include <string>
#include <vector>

#include "cli/Commands.h"
#include "core/CommandNames.h"
#include "core/JobResult.h"
#include "settings/Settings.h"

namespace twick::cli {

struct Options {
  int mode = Settings().autoMode;      // --mode
  int format = Settings().codeFormat;  // --format
  std::string outputDir;
  std::string output;
  bool overwrite = false;
  bool ask = false;
  bool help = false;
  bool toStdout = false;  // --stdout
  bool list = false;      // --list
  bool rename = false;    // --rename
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
  bool toStdout = false;
  bool list = false;
  bool rename = false;
};

/// Parses `args`; on a usage error prints the problem and `usage` to stderr
/// and returns false.
bool ParseOptions(const Args& args, const OptionSet& allowed, const std::string& command,
                  const char* usage, Options& options);

/// The --output-dir folder is created when missing; prints a "File Error:"
/// line when that fails.
bool CheckOutputDir(const Options& options);

/// True when the output-name question can be answered (a terminal, or --ask).
bool CanAsk(const Options& options);

/// The options laid over the settings' defaults, for a job run without a
/// window to wait on.
Settings SettingsFromOptions(const Options& options);

/// Prints the files a job wrote to stdout (and a source it could not open
/// to stderr); true when the job did everything it was asked to.
bool ReportResult(const JobResult& result, const std::string& source);

/// The names the command must not write over, to begin with its FILE
/// arguments (all later inputs; standard input has no name).
CommandNames InputsOfCommand(const std::vector<std::string>& files);

}  // namespace twick::cli
