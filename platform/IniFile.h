#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vx9kr {

// Reads the kit's ini files the way the Windows profile functions read them, so files written for
// the original tools give the same values on every platform. Neither function throws.

// The value of `key` in `section`: blanks and one pair of matching quotes around it removed,
// backslashes kept. `defaultValue` when the file, the section or the key is missing; an empty value
// is returned as empty.
std::string ReadIniString(const std::filesystem::path& file, std::string_view section,
                          std::string_view key, std::string_view defaultValue);

// The value's leading decimal digits as a number (0 when it starts with no digit, also for an empty
// value); `defaultValue` when the file, the section or the key is missing. Values beyond INT_MAX
// read as INT_MAX.
int ReadIniInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
               int defaultValue);

}  // namespace vx9kr
