// twick: the console front end. Decodes, encodes and converts files with the
// same engine as the desktop program.

#include <cstdio>
#include <iostream>
#include <new>
#include <string>

#include "cli/Commands.h"
#include "core/Messages.h"
#include "core/OutputFile.h"

namespace {

constexpr const char* kUsage =
    "usage: twick COMMAND [OPTIONS] FILE...\n"
    "\n"
    "Commands:\n"
    "  decode   decode every encoded section of mail or news files\n"
    "  encode   encode files as Base64 (MIME), UU, XX or btoa\n"
    "  convert  rewrite a Unix or Mac text file with CR LF line ends\n"
    "\n"
    "Run 'twick COMMAND --help' for the options of a command;\n"
    "'twick --version' prints the version.\n";

int Run(twick::cli::Args args) {
  using namespace twick::cli;
  if (args.empty()) {
    std::cerr << kUsage;
    return kExitUsage;
  }
  std::string command = args.front();
  args.erase(args.begin());
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return kExitOk;
  }
  if (command == "--version" || command == "-V") {
    std::cout << "twick " << TWICK_VERSION << '\n';
    return kExitOk;
  }
  // Memory that runs out anywhere is a failed run with the program's own
  // message, never an abort.
  try {
    if (command == "decode") return RunDecodeCommand(args);
    if (command == "encode") return RunEncodeCommand(args);
    if (command == "convert") return RunConvertCommand(args);
  } catch (const std::bad_alloc&) {
    std::cerr << twick::kMemoryErrorCaption << ' '
              << (command == "encode" ? twick::kNoEncodeMemoryText : twick::kNoDecodeMemoryText)
              << std::endl;
    return kExitFailed;
  }
  std::cerr << "twick: unknown command '" << command << "'\n\n" << kUsage;
  return kExitUsage;
}

// Output that could not be written (a full disk, a closed pipe) is a failure,
// even when the work itself succeeded.
int FinishOutput(int status) {
  std::cout.flush();
  const bool outFailed = !std::cout || std::fflush(stdout) != 0 || std::ferror(stdout);
  const bool errFailed = !std::cerr || std::fflush(stderr) != 0 || std::ferror(stderr);
  if (outFailed) {
    std::cerr.clear();
    std::cerr << "twick: write error on standard output" << std::endl;
  }
  if ((outFailed || errFailed) && status == twick::cli::kExitOk) return twick::cli::kExitFailed;
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // An interrupted run leaves no unfinished file under a final name.
  twick::InstallInterruptCleanup();
  return FinishOutput(Run(twick::cli::Args(argv + 1, argv + argc)));
}
