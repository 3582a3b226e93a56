// twick decode: finds and decodes every encoded section of mail or news files.

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/ConsoleHabits.h"
#include "cli/ConsoleWindow.h"
#include "cli/Options.h"
#include "codecs/Alphabets.h"
#include "core/Messages.h"
#include "core/OutputFile.h"
#include "core/PathRules.h"
#include "core/StreamCopy.h"
#include "jobs/JobSetup.h"

namespace twick::cli {

namespace {

constexpr const char* kUsage =
    "usage: twick decode [--mode auto1|auto2|off] [--format base64|uu|xx|btoa|binhex]\n"
    "                    [--output-dir DIR] [--overwrite | --rename] [--ask]\n"
    "                    [--list | --stdout] FILE...\n"
    "\n"
    "Decodes every encoded section (Base64, UU, XX, btoa, BinHex 4.0, yEnc, and\n"
    "quoted-printable, 7bit, 8bit or binary mail attachments) of each FILE into\n"
    "its own output file and prints the saved files, one per line. The parts of\n"
    "one posting are joined across the FILEs given together.\n"
    "A FILE of - reads standard input (its outputs go to the current folder);\n"
    "it is kept in an unnamed file in $TMPDIR while decoding, up to 4 GiB.\n"
    "\n"
    "  --mode auto1     the section header decides the format (default)\n"
    "  --mode auto2     the section content decides the format\n"
    "  --mode off       decode with --format; a file without a header is one section\n"
    "  --format F       the format for --mode off (default base64)\n"
    "  --output-dir DIR where decoded files go (default: beside the source);\n"
    "                   created when missing\n"
    "  --overwrite      replace existing output files without asking\n"
    "  --rename         save under a free numbered name (name-1.ext) instead\n"
    "  --ask            ask for every output name (also reads answers from a pipe;\n"
    "                   a relative answer is taken in the output folder)\n"
    "  --list           print the sections found (line, format, complete, name)\n"
    "                   and write nothing; fails when a FILE holds no section\n"
    "  --stdout         write the one section of FILE to standard output\n"
    "\n"
    "Without --overwrite an existing file is replaced only when the question is\n"
    "answered on the terminal. Exit status: 0 when every file decoded and no\n"
    "section failed or was skipped, 1 otherwise, 2 for a usage error.\n";

const char* FormatName(int format) {
  switch (format) {
    case kFormatBase64: return "base64";
    case kFormatUU: return "uu";
    case kFormatXX: return "xx";
    case kFormatBtoa: return "btoa";
    case kFormatBinHex: return "binhex";
    case kFormatYEnc: return "yenc";
    case kFormatQuotedPrintable: return "quoted-printable";
    case kFormatPlainText: return "text";
    default: return "?";
  }
}

/// Takes everything a decoder writes and keeps none of it.
class DiscardingOpener : public OutputOpener {
  class Sink : public OutputSink {
   public:
    bool Write(const char*, size_t) override { return true; }
    bool SetLength(uint64_t) override { return true; }
    bool Close() override { return true; }
  };

 public:
  std::unique_ptr<OutputSink> Create(const std::string&, const OutputOptions&) override {
    return std::make_unique<Sink>();
  }
};

/// --list: one line per section, "LINE FORMAT complete|incomplete NAME".
bool ListSections(ConsoleWindow& window, const Settings& settings, const std::string& source,
                  const std::string& shownSource, const std::string& sourceName) {
  DiscardingOpener discard;
  CDecodeJob job(window, discard);
  SetUpDecodeJob(job, settings, source);
  job.m_strSourceName = sourceName;
  job.m_bOverwrite = true;  // nothing is written, so nothing is asked
  job.m_bUseDefName = true;
  job.RunDecodeJob();
  if (!job.m_result.sourceOpened)
    std::cerr << kFileErrorCaption << ' ' << kUnreadableSourceText << '\n' << shownSource << '\n';
  LineCounter lines(source);
  for (const auto& section : job.m_sections) {
    std::cout << shownSource << ':' << lines.LineAt(section.dataStart) << ' '
              << FormatName(section.format) << ' ' << (section.complete ? "complete" : "incomplete")
              << ' ' << FileNameOf(section.output) << '\n';
  }
  std::cout.flush();
  // A listing that finds nothing has failed at its one task.
  return job.m_result.sourceOpened && job.m_result.sourceReadToEnd && job.m_result.failed == 0 &&
         job.m_result.found > 0;
}

}  // namespace

int RunDecodeCommand(const Args& args) {
  Options opt;
  OptionSet allowed{.mode = true,
                    .format = true,
                    .binhex = true,
                    .outputDir = true,
                    .output = false,
                    .ask = true,
                    .toStdout = true,
                    .list = true,
                    .rename = true};
  if (!ParseOptions(args, allowed, "decode", kUsage, opt)) return kExitUsage;
  if (opt.help) return kExitOk;
  if (opt.list && opt.toStdout) {
    std::cerr << "twick decode: --list and --stdout do not go together\n\n" << kUsage;
    return kExitUsage;
  }
  if (!opt.list && !opt.toStdout && !CheckOutputDir(opt)) return kExitFailed;

  ScratchFolder scratch;
  if (opt.toStdout && !scratch.Create()) return kExitFailed;

  ConsoleWindow window(CanAsk(opt));
  window.SetRenameFree(opt.rename);
  window.SetListing(opt.list);
  Settings settings = SettingsFromOptions(opt);
  CommandNames names = InputsOfCommand(opt.files);
  // The parts of a file posted in parts may lie in several of the files
  // given: each job looks for the parts its source lacks in the others.
  std::vector<std::string> sources;
  for (const std::string& file : opt.files)
    if (file != "-") sources.push_back(AbsolutePath(file));
  const bool joinFiles = !opt.list && !opt.toStdout && sources.size() > 1;
  // Files in which no section was found: fine when another file's job read
  // parts from them, reported at the end otherwise.
  struct PartsOnly {
    std::string source;
    std::string messages;
  };
  std::vector<PartsOnly> partsOnly;
  std::vector<std::string> partSources;
  YEncPartsRead yencPartsRead;
  bool allDone = true;
  for (const std::string& file : opt.files) {
    std::string source = AbsolutePath(file);
    if (file != "-") names.StartInput(source);
    Settings fileSettings = settings;
    StreamCopy stdinCopy;
    std::string sourceName;
    if (file == "-") {
      if (!CopyStandardInput(stdinCopy)) {
        allDone = false;
        continue;
      }
      source = stdinCopy.Path();
      sourceName = "stdin";
      if (opt.outputDir.empty()) fileSettings.decodeDir = FolderPath(".");
    }
    if (opt.list) {
      if (!ListSections(window, fileSettings, source, file, sourceName)) allDone = false;
      continue;
    }
    if (opt.toStdout) fileSettings.decodeDir = scratch.Path();
    CDecodeJob job(window);
    SetUpDecodeJob(job, fileSettings, source);
    if (!opt.toStdout) job.m_pCommandNames = &names;
    job.m_bRenameOnConflict = opt.rename;
    job.m_strSourceName = sourceName;
    const bool joined = joinFiles && file != "-";
    if (joined) {
      for (const std::string& other : sources)
        if (other != source) job.m_otherSources.push_back(other);
      job.m_pYEncPartsRead = &yencPartsRead;
      window.HoldMessages();
    }
    job.RunDecodeJob();
    if (joined) {
      partSources.insert(partSources.end(), job.m_partSourcesRead.begin(),
                         job.m_partSourcesRead.end());
      const JobResult& r = job.m_result;
      if (r.found == 0 && r.sourceOpened && r.sourceReadToEnd) {
        partsOnly.push_back({source, window.TakeHeld()});
        continue;
      }
      window.ReleaseHeld();
    }
    if (opt.toStdout) {
      if (job.m_result.found != 1 || job.m_result.written.size() != 1) {
        std::cerr << "twick decode: --stdout needs exactly one section; " << file << " has "
                  << job.m_result.found << '\n';
        allDone = false;
      } else if (!CopyToStandardOutput(job.m_result.written.front())) {
        allDone = false;
      } else if (!job.m_result.Complete()) {
        allDone = false;
      }
      continue;
    }
    if (!ReportResult(job.m_result, file == "-" ? file : job.m_strSource)) allDone = false;
  }
  for (const PartsOnly& file : partsOnly) {
    if (std::find(partSources.begin(), partSources.end(), file.source) != partSources.end())
      continue;
    std::cerr << file.messages << std::flush;
    allDone = false;
  }
  return allDone ? kExitOk : kExitFailed;
}

}  // namespace twick::cli
