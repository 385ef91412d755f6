#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class CLcdUpdater;

// The five files of an LCD firmware update, found in one folder by their name patterns. Id 0 is
// copied first; id 1's version can switch the run to erasing the device's store; id 4 is the AD
// firmware.
class CLcdFileSet {
  public:
    static constexpr int FILE_COUNT = 5;

    // Empties the set, gives strFolder a trailing separator (which the caller keeps) and looks for
    // each pattern in it. Returns 0 when all five were found, else 1. A version of id 1 that
    // begins "10" sets the updater's mode to EXEMODE_ERASE.
    int Find(std::string& strFolder, CLcdUpdater& updater);

    // The chosen file's full path, or nothing.
    const std::optional<std::string>& GetPath(int nId) const { return m_paths.at(nId); }
    std::uint32_t GetTotalSize() const { return m_nTotalSize; }
    static const char* Pattern(int nId);

  private:
    std::array<std::optional<std::string>, FILE_COUNT> m_paths;
    std::uint32_t m_nTotalSize = 0;
};
