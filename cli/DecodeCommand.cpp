// twick decode: finds and decodes every encoded section of mail or news files.

#include <unistd.h>

#include <iostream>

#include "cli/Commands.h"
#include "cli/ConsoleWindow.h"
#include "jobs/DecodeJob.h"

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
    "Exit status: 0 when every file decoded and no section failed or was skipped,\n"
    "1 otherwise, 2 for a usage error.\n";

struct DecodeOptions {
  int mode = kAutoDecode1;
  int format = kFormatBase64;
  std::string outputDir;
  bool overwrite = false;
  bool ask = false;
  std::vector<std::string> files;
};

int ParseFormat(const std::string& name) {
  if (name == "base64") return kFormatBase64;
  if (name == "uu") return kFormatUU;
  if (name == "xx") return kFormatXX;
  if (name == "btoa") return kFormatBtoa;
  if (name == "binhex") return kFormatBinHex;
  return -1;
}

int ParseMode(const std::string& name) {
  if (name == "auto1") return kAutoDecode1;
  if (name == "auto2") return kAutoDecode2;
  if (name == "off") return kAutoOff;
  return -1;
}

int UsageError(const std::string& problem) {
  std::cerr << "twick decode: " << problem << "\n\n" << kUsage;
  return kExitUsage;
}

}  // namespace

int RunDecodeCommand(const Args& args) {
  DecodeOptions opt;
  bool filesOnly = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    std::string v;
    if (filesOnly || a.empty() || a[0] != '-' || a == "-") {
      opt.files.push_back(a);
    } else if (a == "--") {
      filesOnly = true;
    } else if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return kExitOk;
    } else if (a == "--mode") {
      if (!value(v) || (opt.mode = ParseMode(v)) < 0) return UsageError("bad --mode");
    } else if (a == "--format") {
      if (!value(v) || (opt.format = ParseFormat(v)) < 0) return UsageError("bad --format");
    } else if (a == "--output-dir") {
      if (!value(opt.outputDir) || opt.outputDir.empty())
        return UsageError("--output-dir needs a folder");
    } else if (a == "--overwrite") {
      opt.overwrite = true;
    } else if (a == "--ask") {
      opt.ask = true;
    } else {
      return UsageError("unknown option " + a);
    }
  }
  if (opt.files.empty()) return UsageError("no file to decode");
  if (!opt.outputDir.empty() && !IsFolder(opt.outputDir)) {
    std::cerr << "File Error: The output folder does not exist:\n" << opt.outputDir << '\n';
    return kExitFailed;
  }

  ConsoleWindow window(opt.ask || isatty(STDIN_FILENO) == 1);
  bool allDone = true;
  for (const std::string& file : opt.files) {
    CDecodeJob job(window);
    job.m_nAutoMode = opt.mode;
    job.m_nCodeFormat = opt.format;
    job.m_bUseDefName = !opt.ask;
    job.m_bOverwrite = opt.overwrite;
    job.m_bPause = false;
    job.m_strSource = AbsolutePath(file);
    if (!opt.outputDir.empty()) job.m_strDecodeDir = FolderPath(opt.outputDir);
    job.RunDecodeJob();
    if (!job.m_bSourceRead) {
      std::cerr << "File Error: Unable to read selected file!\n" << job.m_strSource << '\n';
    }
    for (const std::string& entry : job.m_arrOutput) std::cout << entry << '\n';
    std::cout.flush();
    if (!job.m_bSourceRead || job.m_nSucceeded == 0 || job.m_nFailed > 0 ||
        job.m_nSkipped > 0)
      allDone = false;
  }
  return allDone ? kExitOk : kExitFailed;
}

}  // namespace twick::cli
