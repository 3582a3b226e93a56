// twick convert: rewrites a Unix (LF) or Mac (CR) text file with CR LF ends.

#include <iostream>

#include "cli/Commands.h"
#include "cli/ConsoleHabits.h"
#include "cli/ConsoleWindow.h"
#include "cli/Options.h"
#include "convert/Converter.h"

namespace twick::cli {

namespace {

constexpr const char* kUsage =
    "usage: twick convert [--output OUT | --stdout] [--overwrite] FILE\n"
    "\n"
    "Writes a copy of FILE whose every line ends with CR LF (lone LF and lone CR\n"
    "become CR LF; CR LF stays). The copy is OUT, or FILE with its extension\n"
    "replaced by .out (notes.txt -> notes.out, README -> README.out).\n"
    "Prints the written file. A FILE of - reads standard input (the copy is\n"
    "stdin.out in the current folder).\n"
    "\n"
    "  --output OUT  the file to write\n"
    "  --stdout      write the copy to standard output\n"
    "  --overwrite   replace OUT if it exists (otherwise you are asked on a\n"
    "                terminal, and it is kept without one)\n"
    "\n"
    "Exit status: 0 when the file was converted, 1 otherwise, 2 for a usage error.\n";

}  // namespace

int RunConvertCommand(const Args& args) {
  Options opt;
  OptionSet allowed{.mode = false,
                    .format = false,
                    .binhex = false,
                    .outputDir = false,
                    .output = true,
                    .ask = false,
                    .toStdout = true,
                    .list = false,
                    .rename = false};
  if (!ParseOptions(args, allowed, "convert", kUsage, opt)) return kExitUsage;
  if (opt.help) return kExitOk;
  if (opt.files.size() != 1) {
    std::cerr << "twick convert: give exactly one file\n\n" << kUsage;
    return kExitUsage;
  }

  if (opt.toStdout && !opt.output.empty()) {
    std::cerr << "twick convert: --output and --stdout do not go together\n\n" << kUsage;
    return kExitUsage;
  }

  ScratchFolder scratch;
  if (opt.toStdout && !scratch.Create()) return kExitFailed;
  StreamCopy stdinCopy;
  ConsoleWindow window(CanAsk(opt));
  CConvertJob job(window);
  job.m_bOverwrite = opt.overwrite;
  job.m_strFrom = AbsolutePath(opt.files[0]);
  std::string proposed = ProposeConvertOutput(job.m_strFrom);
  if (opt.files[0] == "-") {
    if (!CopyStandardInput(stdinCopy)) return kExitFailed;
    job.m_strFrom = stdinCopy.Path();
    proposed = FolderPath(".") + "stdin.out";
  }
  job.m_strTo = opt.output.empty() ? proposed : AbsolutePath(opt.output);
  if (opt.toStdout) job.m_strTo = scratch.Path() + "stdout.out";
  job.Convert();
  if (opt.toStdout) {
    const bool copied =
        job.m_result.written.size() == 1 && CopyToStandardOutput(job.m_result.written.front());
    return copied && job.m_result.Complete() ? kExitOk : kExitFailed;
  }
  // The converter has told the user about any failure itself.
  for (const std::string& path : job.m_result.written) std::cout << path << '\n';
  return job.m_result.Complete() ? kExitOk : kExitFailed;
}

}  // namespace twick::cli
