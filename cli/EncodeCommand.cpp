// twick encode: encodes files as Base64 (MIME), UU, XX or btoa.

#include <iostream>

#include "cli/Commands.h"
#include "cli/ConsoleWindow.h"
#include "cli/Options.h"
#include "jobs/JobSetup.h"

namespace twick::cli {

namespace {

constexpr const char* kUsage =
    "usage: twick encode [--format base64|uu|xx|btoa] [--output-dir DIR]\n"
    "                    [--overwrite] [--ask] FILE...\n"
    "\n"
    "Encodes each FILE into a text file beside it (or in --output-dir):\n"
    "FILE.mme (Base64 with a MIME header), .uue (UU), .xxe (XX) or .b2a (btoa);\n"
    "the last extension of FILE is replaced. Prints the written files.\n"
    "\n"
    "  --format F       base64 (default), uu, xx or btoa\n"
    "  --output-dir DIR where encoded files go (default: beside the source)\n"
    "  --overwrite      replace existing output files without asking\n"
    "  --ask            ask for every output name (also reads answers from a pipe)\n"
    "\n"
    "Exit status: 0 when every file was encoded, 1 otherwise, 2 for a usage error.\n";

}  // namespace

int RunEncodeCommand(const Args& args) {
  Options opt;
  OptionSet allowed{.mode = false,
                    .format = true,
                    .binhex = false,
                    .outputDir = true,
                    .output = false,
                    .ask = true};
  if (!ParseOptions(args, allowed, "encode", kUsage, opt)) return kExitUsage;
  if (opt.help) return kExitOk;
  if (!CheckOutputDir(opt)) return kExitFailed;

  ConsoleWindow window(CanAsk(opt));
  const Settings settings = SettingsFromOptions(opt);
  bool allDone = true;
  for (const std::string& file : opt.files) {
    CEncodeJob job(window);
    SetUpEncodeJob(job, settings, AbsolutePath(file));
    job.RunEncodeJob();
    if (!ReportResult(job.m_result, job.m_strSource)) allDone = false;
  }
  return allDone ? kExitOk : kExitFailed;
}

}  // namespace twick::cli
