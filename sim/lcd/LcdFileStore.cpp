#include "sim/lcd/LcdFileStore.h"

#include <algorithm>

namespace vx9kr::sim {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool MatchesLcdPattern(std::string_view name, std::string_view pattern) {
    if (name.size() != pattern.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (pattern[i] != '?' && Lower(pattern[i]) != Lower(name[i]))
            return false;
    }
    return true;
}

bool LcdFileStore::CaselessLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

LcdFileStore::LcdFileStore(const Files& files) {
    for (const auto& [name, bytes] : files)
        Put(name, bytes);
}

void LcdFileStore::Put(std::string_view name, Bytes bytes) {
    if (auto it = files_.find(name); it != files_.end())
        files_.erase(it);
    files_.emplace(std::string(name), std::move(bytes));
}

bool LcdFileStore::Contains(std::string_view name) const {
    return files_.find(name) != files_.end();
}

bool LcdFileStore::Remove(std::string_view name) {
    auto it = files_.find(name);
    if (it == files_.end())
        return false;
    files_.erase(it);
    return true;
}

std::vector<std::string> LcdFileStore::Matching(std::string_view pattern) const {
    std::vector<std::string> names;
    for (const auto& entry : files_) {
        if (MatchesLcdPattern(entry.first, pattern))
            names.push_back(entry.first);
    }
    return names;
}

bool LcdFileStore::Rename(std::string_view from, std::string_view to) {
    auto it = files_.find(from);
    if (it == files_.end())
        return false;
    Bytes bytes = std::move(it->second);
    files_.erase(it);
    Put(to, std::move(bytes));
    return true;
}

LcdFileStore::Files LcdFileStore::Snapshot() const {
    return {files_.begin(), files_.end()};
}

}  // namespace vx9kr::sim
