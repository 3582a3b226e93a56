#pragma once
// Runs the console program as a user would, capturing what it prints.

#include <string>

#include "tests/TestFiles.h"

namespace twick::test {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

/// Runs `twick ARGS` through bash with stdin from /dev/null (nobody to ask);
/// `prefix` is shell text run first (a trap, a ulimit). Output is captured in
/// files inside `dir`.
inline CliRun Twick(const ScratchDir& dir, const std::string& args,
                    const std::string& prefix = "") {
  std::string cmd = prefix + "'" TWICK_CLI_PATH "' " + args + " </dev/null >" + dir.file("stdout") +
                    " 2>" + dir.file("stderr");
  int status = RunShell("bash -c \"" + cmd + "\"");
  return {status, ReadFile(dir.file("stdout")), ReadFile(dir.file("stderr"))};
}

}  // namespace twick::test
