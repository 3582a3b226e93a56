#pragma once
// The program's command line: nothing, or the name of one file to decode or
// encode at once.

#include <optional>
#include <string>
#include <vector>

namespace twick {

/// The file named by the arguments after the program's name, or nothing
/// when they are empty. The arguments are one name joined by single blanks
/// (a name with blanks need not be quoted); one pair of enclosing double
/// quotes is removed and the name is made absolute against `currentDir`.
std::optional<std::string> CommandLineFile(const std::vector<std::string>& args,
                                           const std::string& currentDir);

}  // namespace twick
