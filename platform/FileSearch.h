#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vx9kr {

// '?' stands for any one character and '*' for any run of characters, also an empty one. ASCII
// letters match without regard to case. There is no special meaning for '.', so "*.*" needs a dot.
bool WildcardMatch(std::string_view pattern, std::string_view name);

struct FoundEntry {
    std::filesystem::path fullPath;
    std::string name;  // UTF-8
    bool isDirectory;
    std::uintmax_t size;  // 0 for folders
};

// The entries of `folder` itself (no subfolders searched, "." and ".." never listed) whose names
// match `pattern`, in name order without regard to case, ties broken by the exact bytes. The order
// is the same on every platform and file system, so "the first match" means the same file
// everywhere. A folder that is missing or cannot be read gives an empty list.
std::vector<FoundEntry> FindFiles(const std::filesystem::path& folder, std::string_view pattern);

}  // namespace vx9kr
