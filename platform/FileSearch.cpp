#include "platform/FileSearch.h"

#include <algorithm>
#include <system_error>

#include "platform/Paths.h"

namespace vx9kr {
namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool NameLess(const std::string& a, const std::string& b) {
    const auto lowerLess = [](char x, char y) {
        return static_cast<unsigned char>(AsciiLower(x)) <
               static_cast<unsigned char>(AsciiLower(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), lowerLess)) {
        return true;
    }
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), lowerLess)) {
        return false;
    }
    // std::string compares as unsigned char, so the tie-break does not depend on char's sign.
    return a < b;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    // Greedy matching that returns only to the latest '*': an earlier star can never do better
    // than the latest one, so no deeper backtracking (or recursion) is needed.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starAt = std::string_view::npos;
    std::size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || AsciiLower(pattern[p]) == AsciiLower(name[n]))) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

std::vector<FoundEntry> FindFiles(const std::filesystem::path& folder, std::string_view pattern) {
    std::vector<FoundEntry> found;
    try {
        std::error_code error;
        std::filesystem::directory_iterator it(folder, error);
        const std::filesystem::directory_iterator end;
        for (; !error && it != end; it.increment(error)) {
            const std::filesystem::directory_entry& entry = *it;
            std::string name = PathToText(entry.path().filename());
            if (!WildcardMatch(pattern, name)) {
                continue;
            }
            std::error_code entryError;
            // Links are followed, as the platform's search reports what they point at.
            const bool isDirectory = entry.is_directory(entryError);
            std::uintmax_t size = 0;
            if (!isDirectory) {
                size = entry.file_size(entryError);
                if (entryError) {
                    size = 0;
                }
            }
            found.push_back(FoundEntry{entry.path(), std::move(name), isDirectory, size});
        }
    } catch (...) {
        // Only memory exhaustion gets here; what was found so far is still sorted and returned.
    }
    std::sort(found.begin(), found.end(),
              [](const FoundEntry& a, const FoundEntry& b) { return NameLess(a.name, b.name); });
    return found;
}

}  // namespace vx9kr
