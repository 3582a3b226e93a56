#pragma once
// How the program takes paths apart and puts them together. Paths are byte
// strings; a folder string is empty or ends with the separator, and an output
// path is a folder and a name joined as they stand.

#include <cstddef>
#include <functional>
#include <string>

namespace twick {

inline constexpr char kPathSeparator = '/';

/// The folder of a path with its trailing separator; empty without one.
std::string DirectoryOf(const std::string& path);

/// The name of a path: everything after the last separator.
std::string FileNameOf(const std::string& path);

/// The name of a path without its last extension; a name without a dot is
/// taken whole.
std::string BaseNameOf(const std::string& path);

/// A non-empty folder that lacks the trailing separator gets one.
std::string WithTrailingSeparator(std::string folder);

/// The path made absolute against the current folder as it stands (no
/// link resolution); the path itself when that fails.
std::string FullPath(const std::string& path);

/// Makes a name from a header safe to put in the output folder: cut at the
/// first NUL, keep the text after the last '/' or '\\' (and, on Windows, a
/// drive prefix), control characters become '_'; ".", ".." and an empty
/// result give an empty name.
std::string SanitizeHeaderName(const std::string& name);

/// The longest file name most file systems take, in bytes.
inline constexpr size_t kMaxNameBytes = 255;

/// `path` with its file name cut to kMaxNameBytes, keeping the extension
/// (unless that alone is too long); the stem is never cut inside a UTF-8
/// sequence. Shorter names are returned as they are.
std::string FitNameLength(const std::string& path);

/// "name-N.ext" in the folder of `path`: the number goes before the last
/// extension of the name, or at its end without one. A leading dot of the
/// name is not an extension. The name is fitted to kMaxNameBytes, the
/// number and the extension kept.
std::string NumberedName(const std::string& path, unsigned long long number);

/// The first of NumberedName(path, 1), NumberedName(path, 2), ... for which
/// `taken` says no.
std::string FreeNumberedName(const std::string& path,
                             const std::function<bool(const std::string&)>& taken);

}  // namespace twick
