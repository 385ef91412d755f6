#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sim/lcd/LcdProtocol.h"

namespace vx9kr::sim {

// Whether `name` fits `pattern`, where "?" stands for exactly one character; letter case ignored.
bool MatchesLcdPattern(std::string_view name, std::string_view pattern);

// The LCD CPU's file store: names with their bytes. As on the device's file system, names are
// compared without regard to case and kept as they were last written.
class LcdFileStore {
  public:
    using Files = std::map<std::string, Bytes>;

    LcdFileStore() = default;
    explicit LcdFileStore(const Files& files);

    // Stores the file, replacing one whose name differs only in case.
    void Put(std::string_view name, Bytes bytes);
    bool Contains(std::string_view name) const;
    bool Remove(std::string_view name);
    void Clear() { files_.clear(); }

    // The names that fit `pattern`, in name order (case ignored), as written.
    std::vector<std::string> Matching(std::string_view pattern) const;
    // Gives the file `from` the name `to`, replacing a file called `to`. False if there is no
    // `from`.
    bool Rename(std::string_view from, std::string_view to);

    // The names as written.
    Files Snapshot() const;

  private:
    struct CaselessLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    std::map<std::string, Bytes, CaselessLess> files_;
};

}  // namespace vx9kr::sim
