#pragma once
// Small test-side encoders that build fixtures straight from the alphabets,
// independent of the program's own encoders.

#include <string>

namespace twick::test {

/// A "begin 644" section in the UU or XX alphabet, last group filled, ended
/// by the alphabet's zero-length line and "end".
std::string UUXXSection(const std::string& name, const std::string& data, const char* alphabet);

/// Base64 body lines of 76 characters.
std::string Base64Lines(const std::string& data);

/// A btoa section: "xbtoa Begin", 78-character lines with "z" for zero words,
/// and the end line with the byte count (check words not computed: zeros).
std::string BtoaSection(const std::string& name, const std::string& data);

}  // namespace twick::test
