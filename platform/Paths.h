#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vx9kr {

// Paths in ini files and defaults were written for Windows, so a backslash separates folders on
// every platform here. Text is UTF-8. None of these functions throws.

// The path that `text` names, with '\\' and '/' both taken as separators.
std::filesystem::path PathFromText(std::string_view text);

// `text` made absolute against the current folder and lexically normalised. When that names
// nothing but `programFolder`/`text` is an existing file, the latter: a bare file name given to
// the program is also looked for beside it. Empty text gives an empty path.
std::filesystem::path MakeAbsolute(std::string_view text,
                                   const std::filesystem::path& programFolder);

// What follows the last '/' or '\\' (all of `path` when it has neither).
std::string FileNamePart(std::string_view path);

// `path` without the last ".ext" of its file name part. A name whose only dot is its first
// character (".profile") has no extension and is kept whole, as are "." and "..".
std::string RemoveExtension(std::string_view path);

// `path` with the platform's separator appended unless it already ends with '/' or '\\'.
// Empty text stays empty.
std::string AddTrailingSeparator(std::string_view path);

// `path` without one trailing '/' or '\\', except where that separator is a root ("/", "C:\\").
std::string RemoveTrailingSeparator(std::string_view path);

bool EndsWithSeparator(std::string_view path);

// The UTF-8 text of a path, for logs and for comparing names.
std::string PathToText(const std::filesystem::path& path);

}  // namespace vx9kr
