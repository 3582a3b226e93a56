// twick encode: encodes files as Base64 (MIME), UU, XX or btoa.

#include <iostream>

#include "cli/Commands.h"
#include "cli/ConsoleHabits.h"
#include "cli/ConsoleWindow.h"
#include "cli/Options.h"
#include "jobs/JobSetup.h"

namespace twick::cli {

namespace {

constexpr const char* kUsage =
    "usage: twick encode [--format base64|uu|xx|btoa] [--output-dir DIR]\n"
    "                    [--overwrite | --rename] [--ask] [--stdout] FILE...\n"
    "\n"
    "Encodes each FILE into a text file beside it (or in --output-dir):\n"
    "FILE.mme (Base64 with a MIME header), .uue (UU), .xxe (XX) or .b2a (btoa);\n"
    "the last extension of FILE is replaced. Prints the written files.\n"
    "A FILE of - reads standard input (named stdin; output in the current folder).\n"
    "\n"
    "  --format F       base64 (default), uu, xx or btoa\n"
    "  --output-dir DIR where encoded files go (default: beside the source);\n"
    "                   created when missing\n"
    "  --overwrite      replace existing output files without asking\n"
    "  --rename         save under a free numbered name (name-1.ext) instead\n"
    "  --ask            ask for every output name (also reads answers from a pipe;\n"
    "                   a relative answer is taken in the output folder)\n"
    "  --stdout         write the encoded text of the one FILE to standard output\n"
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
                    .ask = true,
                    .toStdout = true,
                    .list = false,
                    .rename = true};
  if (!ParseOptions(args, allowed, "encode", kUsage, opt)) return kExitUsage;
  if (opt.help) return kExitOk;
  if (!opt.toStdout && !CheckOutputDir(opt)) return kExitFailed;

  ScratchFolder scratch;
  if (opt.toStdout && !scratch.Create()) return kExitFailed;

  ConsoleWindow window(CanAsk(opt));
  window.SetRenameFree(opt.rename);
  const Settings settings = SettingsFromOptions(opt);
  CommandNames names = InputsOfCommand(opt.files);
  bool allDone = true;
  for (const std::string& file : opt.files) {
    std::string source = AbsolutePath(file);
    if (file != "-") names.StartInput(source);
    Settings fileSettings = settings;
    StreamCopy stdinCopy;
    if (file == "-") {
      if (!CopyStandardInput(stdinCopy)) {
        allDone = false;
        continue;
      }
      source = stdinCopy.Path();
      if (opt.outputDir.empty()) fileSettings.encodeDir = FolderPath(".");
    }
    if (opt.toStdout) fileSettings.encodeDir = scratch.Path();
    CEncodeJob job(window);
    SetUpEncodeJob(job, fileSettings, source);
    if (file == "-") job.m_strSourceName = "stdin";
    if (!opt.toStdout) job.m_pCommandNames = &names;
    job.m_bRenameOnConflict = opt.rename;
    job.RunEncodeJob();
    if (opt.toStdout) {
      if (job.m_result.written.size() != 1 || !CopyToStandardOutput(job.m_result.written.front()))
        allDone = false;
      allDone = allDone && job.m_result.Complete();
      continue;
    }
    if (!ReportResult(job.m_result, file == "-" ? file : job.m_strSource)) allDone = false;
  }
  return allDone ? kExitOk : kExitFailed;
}

}  // namespace twick::cli
