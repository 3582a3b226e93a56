#pragma once
// Scratch folders and file helpers for tests.

#include <filesystem>
#include <string>

namespace twick::test {

/// A fresh folder under the system's temporary folder, removed on destruction.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  /// The folder with a trailing separator, as the jobs expect folders.
  std::string dir() const { return path_.string() + "/"; }
  /// Full path of `name` inside the folder.
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

/// Runs a shell command; returns its exit status (-1 when it did not exit).
int RunShell(const std::string& command);
/// True when `tool` is on the PATH.
bool HaveTool(const std::string& tool);

/// Deterministic pseudo-random bytes.
std::string RandomBytes(size_t size, unsigned seed);

}  // namespace twick::test
