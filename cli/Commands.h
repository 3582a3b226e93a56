#pragma once
// The console front end's commands. Each returns the process exit status:
// 0 when everything was done, 1 when something failed or was skipped, 2 for a
// usage error.

#include <string>
#include <vector>

namespace twick::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

using Args = std::vector<std::string>;

int RunDecodeCommand(const Args& args);
int RunEncodeCommand(const Args& args);
int RunConvertCommand(const Args& args);

/// Makes a path absolute against the current folder (no link resolution).
std::string AbsolutePath(const std::string& path);
/// An absolute folder path ending with '/'.
std::string FolderPath(const std::string& path);
/// True when the folder exists.
bool IsFolder(const std::string& path);

}  // namespace twick::cli
