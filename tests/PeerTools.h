#pragma once
// Tests that run other programs (independent encoders and decoders, and the
// shell tools around them) skip when one of those programs is missing, and
// say which one and where it comes from, instead of failing.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/TestFiles.h"

namespace twick::test {

/// The programs among `tools` that are not on the PATH, each with the
/// Debian package that has it ("uuencode (sharutils), sed"); empty when
/// all are there.
inline std::string MissingTools(const std::vector<std::string>& tools) {
  struct Source {
    const char* tool;
    const char* package;
  };
  static const Source kSources[] = {
      {"uuencode", "sharutils"}, {"uudecode", "sharutils"}, {"mpack", "mpack"},
      {"munpack", "mpack"},      {"binhex", "macutils"},    {"hexbin", "macutils"},
      {"base64", "coreutils"},   {"python3", "python3"},    {"uuenview", "uudeview"},
      {"mutt", "mutt"},          {"php", "php-cli"},        {"perl", "perl"},
  };
  std::string missing;
  for (const std::string& tool : tools) {
    if (HaveTool(tool)) continue;
    if (!missing.empty()) missing += ", ";
    missing += tool;
    for (const Source& source : kSources)
      if (tool == source.tool) missing += std::string(" (") + source.package + ")";
  }
  return missing;
}

}  // namespace twick::test

/// Skips the current test unless every named program is on the PATH, e.g.
/// SKIP_WITHOUT_TOOLS("uuencode", "sed"); the reason names what is missing.
#define SKIP_WITHOUT_TOOLS(...)                                                      \
  do {                                                                               \
    if (const std::string missingTools = ::twick::test::MissingTools({__VA_ARGS__}); \
        !missingTools.empty())                                                       \
      GTEST_SKIP() << "not on the PATH: " << missingTools;                           \
  } while (0)
