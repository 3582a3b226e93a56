// twick decode: finds and decodes every encoded section of mail or news files.

#include <iostream>

#include "cli/Commands.h"
#include "cli/ConsoleWindow.h"
#include "cli/Options.h"
#include "jobs/JobSetup.h"

namespace twick::cli {

namespace {

constexpr const char* kUsage =
    "usage: twick decode [--mode auto1|auto2|off] [--format base64|uu|xx|btoa|binhex]\n"
    "                    [--output-dir DIR] [--overwrite] [--ask] FILE...\n"
    "\n"
    "Decodes every encoded section (Base64, UU, XX, btoa, BinHex 4.0) of each FILE\n"
    "into its own output file and prints the saved files, one per line.\n"
    "\n"
    "  --mode auto1     the section header decides the format (default)\n"
    "  --mode auto2     the section content decides the format\n"
    "  --mode off       decode with --format; a file without a header is one section\n"
    "  --format F       the format for --mode off (default base64)\n"
    "  --output-dir DIR where decoded files go (default: beside the source)\n"
    "  --overwrite      replace existing output files without asking\n"
    "  --ask            ask for every output name (also reads answers from a pipe)\n"
    "\n"
    "Without --overwrite an existing file is replaced only when the question is\n"
    "answered on the terminal. Exit status: 0 when every file decoded and no\n"
    "section failed or was skipped, 1 otherwise, 2 for a usage error.\n";

}  // namespace

int RunDecodeCommand(const Args& args) {
  Options opt;
  OptionSet allowed{.mode = true,
                    .format = true,
                    .binhex = true,
                    .outputDir = true,
                    .output = false,
                    .ask = true};
  if (!ParseOptions(args, allowed, "decode", kUsage, opt)) return kExitUsage;
  if (opt.help) return kExitOk;
  if (!CheckOutputDir(opt)) return kExitFailed;

  ConsoleWindow window(CanAsk(opt));
  const Settings settings = SettingsFromOptions(opt);
  bool allDone = true;
  for (const std::string& file : opt.files) {
    CDecodeJob job(window);
    SetUpDecodeJob(job, settings, AbsolutePath(file));
    job.RunDecodeJob();
    if (!ReportResult(job.m_result, job.m_strSource)) allDone = false;
  }
  return allDone ? kExitOk : kExitFailed;
}

}  // namespace twick::cli
