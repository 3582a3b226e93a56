// twick convert: rewrites a Unix (LF) or Mac (CR) text file with CR LF ends.

#include <iostream>

#include "cli/Commands.h"
#include "cli/ConsoleWindow.h"
#include "cli/Options.h"
#include "convert/Converter.h"

namespace twick::cli {

namespace {

constexpr const char* kUsage =
    "usage: twick convert [--output OUT] [--overwrite] FILE\n"
    "\n"
    "Writes a copy of FILE whose every line ends with CR LF (lone LF and lone CR\n"
    "become CR LF; CR LF stays). The copy is OUT, or FILE with its extension\n"
    "replaced by .out (notes.txt -> notes.out, README -> README.out).\n"
    "Prints the written file.\n"
    "\n"
    "  --output OUT  the file to write\n"
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
                    .ask = false};
  if (!ParseOptions(args, allowed, "convert", kUsage, opt)) return kExitUsage;
  if (opt.help) return kExitOk;
  if (opt.files.size() != 1) {
    std::cerr << "twick convert: give exactly one file\n\n" << kUsage;
    return kExitUsage;
  }

  ConsoleWindow window(CanAsk(opt));
  CConvertJob job(window);
  job.m_bOverwrite = opt.overwrite;
  job.m_strFrom = AbsolutePath(opt.files[0]);
  job.m_strTo = opt.output.empty() ? ProposeConvertOutput(job.m_strFrom) : AbsolutePath(opt.output);
  job.Convert();
  // The converter has told the user about any failure itself.
  for (const std::string& path : job.m_result.written) std::cout << path << '\n';
  return job.m_result.Complete() ? kExitOk : kExitFailed;
}

}  // namespace twick::cli
