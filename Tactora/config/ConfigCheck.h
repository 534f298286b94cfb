#pragma once

#include <filesystem>
#include <iosfwd>

// The work of `tactora config default` and `tactora config check FILE`, on plain streams so the
// command line only wires them up and tests can read what they print.
namespace tactora::ConfigCheck {

// Exit status of a file that cannot be read or is not a configuration at all.
inline constexpr int unusableFileStatus = 2;

// Prints the default configuration file.
int printDefault(std::ostream& out);

// Reads `file` with the application's lenient rules and prints the configuration as it would be
// stored (migrated when older) on `out`. Every dropped profile and binding, ignored key and
// repair is reported on `err` as "tactora: FILE: ...". Returns 0, or `unusableFileStatus` with one
// message on `err` when the file cannot be read, is not JSON or has a wrong type at the top.
int check(const std::filesystem::path& file, std::ostream& out, std::ostream& err);

}  // namespace tactora::ConfigCheck
