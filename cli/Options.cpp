#include "cli/Options.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "codecs/Alphabets.h"
#include "core/FileIdentity.h"
#include "core/Messages.h"

namespace twick::cli {

namespace {

int ParseFormat(const std::string& name, bool binhex) {
  if (name == "base64") return kFormatBase64;
  if (name == "uu") return kFormatUU;
  if (name == "xx") return kFormatXX;
  if (name == "btoa") return kFormatBtoa;
  if (name == "binhex" && binhex) return kFormatBinHex;
  return -1;
}

int ParseMode(const std::string& name) {
  if (name == "auto1") return kAutoDecode1;
  if (name == "auto2") return kAutoDecode2;
  if (name == "off") return kAutoOff;
  return -1;
}

}  // namespace

bool ParseOptions(const Args& args, const OptionSet& allowed, const std::string& command,
                  const char* usage, Options& options) {
  auto fail = [&](const std::string& problem) {
    std::cerr << "twick " << command << ": " << problem << "\n\n" << usage;
    return false;
  };
  bool filesOnly = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size() || args[i + 1].empty()) return false;
      out = args[++i];
      return true;
    };
    std::string v;
    if (filesOnly || a.empty() || a[0] != '-' || a == "-") {
      options.files.push_back(a);
    } else if (a == "--") {
      filesOnly = true;
    } else if (a == "--help" || a == "-h") {
      options.help = true;
    } else if (a == "--mode" && allowed.mode) {
      if (!value(v) || (options.mode = ParseMode(v)) < 0) return fail("bad --mode");
    } else if (a == "--format" && allowed.format) {
      if (!value(v) || (options.format = ParseFormat(v, allowed.binhex)) < 0)
        return fail("bad --format");
    } else if (a == "--output-dir" && allowed.outputDir) {
      if (!value(options.outputDir)) return fail("--output-dir needs a folder");
    } else if (a == "--output" && allowed.output) {
      if (!value(options.output)) return fail("--output needs a file name");
    } else if (a == "--overwrite") {
      options.overwrite = true;
    } else if (a == "--ask" && allowed.ask) {
      options.ask = true;
    } else if (a == "--stdout" && allowed.toStdout) {
      options.toStdout = true;
    } else if (a == "--list" && allowed.list) {
      options.list = true;
    } else if (a == "--rename" && allowed.rename) {
      options.rename = true;
    } else {
      return fail("unknown option " + a);
    }
  }
  if (options.help) {
    std::cout << usage;
    return true;
  }
  if (options.files.empty()) return fail("no file given");
  if (options.toStdout && options.files.size() != 1) return fail("--stdout takes one file");
  if (std::count(options.files.begin(), options.files.end(), "-") > 1)
    return fail("standard input (-) can be read once");
  return true;
}

bool CheckOutputDir(const Options& options) {
  if (options.outputDir.empty() || IsFolder(options.outputDir)) return true;
  std::error_code ec;
  std::filesystem::create_directories(options.outputDir, ec);
  if (!ec && IsFolder(options.outputDir)) return true;
  // Say why: a file (a FIFO, a device, ...) has the name, or the folder
  // could not be made (no permission, a read-only disk, ...).
  std::cerr << kFileErrorCaption << ' ';
  if (PathExists(options.outputDir))
    std::cerr << kOutputFolderIsFileText << '\n' << options.outputDir << '\n';
  else if (ec == std::errc::no_such_file_or_directory)
    std::cerr << kNoOutputFolderText << '\n' << options.outputDir << '\n';
  else
    std::cerr << kOutputFolderFailedText << '\n'
              << options.outputDir << '\n'
              << (ec ? ec.message() : std::string("not created")) << '\n';
  return false;
}

bool CanAsk(const Options& options) { return options.ask || isatty(STDIN_FILENO) == 1; }

Settings SettingsFromOptions(const Options& options) {
  Settings settings;
  settings.autoMode = options.mode;
  settings.codeFormat = options.format;
  settings.useDefName = !options.ask;
  settings.overwrite = options.overwrite;
  settings.pause = false;
  if (!options.outputDir.empty())
    settings.decodeDir = settings.encodeDir = FolderPath(options.outputDir);
  return settings;
}

CommandNames InputsOfCommand(const std::vector<std::string>& files) {
  CommandNames names;
  for (const std::string& file : files)
    if (file != "-") names.AddLaterInput(AbsolutePath(file));
  return names;
}

bool ReportResult(const JobResult& result, const std::string& source) {
  if (!result.sourceOpened)
    std::cerr << kFileErrorCaption << ' ' << kUnreadableSourceText << '\n' << source << '\n';
  for (const JobResult::Renamed& renamed : result.renamedInCommand)
    std::cerr << kNoticeCaption << ' ' << renamed.wanted
              << " is an output or a later input of this command; saved as\n"
              << renamed.saved << '\n';
  for (const std::string& path : result.written) std::cout << path << '\n';
  std::cout.flush();
  return result.Complete();
}

}  // namespace twick::cli
