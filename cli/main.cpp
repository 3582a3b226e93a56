// twick: the console front end. Decodes, encodes and converts files with the
// same engine as the desktop program.

#include <iostream>
#include <string>

#include "cli/Commands.h"

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

}  // namespace

int main(int argc, char** argv) {
  using namespace twick::cli;
  Args args(argv + 1, argv + argc);
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
  if (command == "decode") return RunDecodeCommand(args);
  if (command == "encode") return RunEncodeCommand(args);
  if (command == "convert") return RunConvertCommand(args);
  std::cerr << "twick: unknown command '" << command << "'\n\n" << kUsage;
  return kExitUsage;
}
