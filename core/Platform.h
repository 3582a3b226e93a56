#pragma once
// The engine's calls into the operating system, in one small interface: the
// rest of the engine calls only these, and PlatformPosix.cpp implements them.
// An open file is a descriptor (-1 for none); paths are byte strings. Every
// function reports failure by its return value.

#include <cstddef>
#include <cstdint>
#include <string>

namespace twick::platform {

enum class FileKind { Regular, Link, Other };

/// What the file system says about one file.
struct FileStatus {
  FileKind kind = FileKind::Other;
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  unsigned permissions = 0;  // the mode's permission bits (07777)
};

/// The answer to a question about a path: the status was read, nothing is at
/// the path, or the path could not be looked at (no permission, not a folder, ...).
enum class Lookup { Found, Missing, Failed };

// ---- Reading ----------------------------------------------------------------

/// Opens a file for reading without waiting (a FIFO with no writer opens at
/// once). Returns the descriptor, or -1.
int OpenForReading(const char* path);
/// Reads up to `size` bytes at `offset`, retrying short and interrupted
/// reads. Returns the bytes read (fewer only at the end), 0 at the end, -1
/// on a read error.
long long ReadAt(int fd, char* buffer, size_t size, uint64_t offset);
/// Reads what is there, up to `size` bytes, from a stream (a pipe, a
/// terminal or a file at its current position), waiting for at least one
/// byte. Returns the bytes read, 0 at the end, -1 on a read error.
long long ReadSome(int fd, char* buffer, size_t size);
/// The status of an open file; false when it cannot be read.
bool StatusOf(int fd, FileStatus& status);
/// The status of the file at `path`; with `followLinks` false a symbolic
/// link is described itself rather than the file it points to.
Lookup StatusOfPath(const char* path, FileStatus& status, bool followLinks);
/// True when this process may write the file or folder at `path`.
bool CanWrite(const char* path);

// ---- Writing ----------------------------------------------------------------

/// Creates `path` as a new, empty file open for writing, never opening
/// anything already there. Returns the descriptor, or -1; `nameTaken` then
/// tells whether something already had that name.
int CreateNewFile(const char* path, bool& nameTaken);
/// Creates a file in `folder` that has no name yet, open for reading and
/// writing: it vanishes when closed unless LinkUnnamedFile names it first,
/// so nothing of it can be left behind. Returns the descriptor, or -1;
/// `unsupported` then tells whether the file system cannot make such files.
int CreateUnnamedFile(const char* folder, bool& unsupported);
/// Gives the unnamed file `fd` the name `to`, only while nothing has that
/// name (the check and the link are one step). On failure `nameTaken` tells
/// whether something already had the name.
bool LinkUnnamedFile(int fd, const char* to, bool& nameTaken);
/// A path that opens the file `fd` refers to, named or not.
std::string PathOfDescriptor(int fd);
/// Writes all `size` bytes, retrying short and interrupted writes.
bool WriteAll(int fd, const char* data, size_t size);
/// Sets the length of an open file.
bool SetLength(int fd, uint64_t length);
/// Sets the permission bits of an open file.
bool SetPermissions(int fd, unsigned permissions);
/// Waits until the file's bytes are on the disk.
bool SyncToDisk(int fd);
/// Closes a descriptor; false when the close reports an error.
bool Close(int fd);

// ---- Names ------------------------------------------------------------------

/// Removes the name `path`. Safe to call in a signal handler.
bool RemoveFile(const char* path);
/// Removes the folder `path` with the files directly in it (not with
/// folders in it). Safe to call in a signal handler.
bool RemoveFolder(const char* path);
/// Renames `from` to `to`, replacing whatever file has the name `to`.
bool RenameReplacing(const char* from, const char* to);
/// Renames `from` to `to` only while nothing has the name `to`; the check
/// and the rename are one step, so a file that appears at `to` at any time
/// is never replaced. On failure `from` is left where it is.
bool RenameNoReplace(const char* from, const char* to);

// ---- The process ------------------------------------------------------------

int ProcessId();

extern "C" typedef void (*InterruptHandler)(int signal);
/// Calls `handler` when the program is interrupted, terminated or its
/// terminal goes away. An interruption that whoever started the program
/// chose to ignore stays ignored.
void InstallInterruptHandler(InterruptHandler handler);
/// Called in a handler: once the handler returns, the process ends by
/// `signal` as if no handler had been installed, so the parent sees how it
/// ended.
void EndBySignal(int signal);

}  // namespace twick::platform
