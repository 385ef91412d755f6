#include "panelflash/engine/LcdFileSet.h"

#include <cctype>
#include <string_view>

#include "panelflash/engine/LcdUpdater.h"
#include "platform/FileSearch.h"
#include "platform/Paths.h"

namespace {

constexpr const char* PATTERNS[CLcdFileSet::FILE_COUNT] = {
    "qrx41m.bin", "kt4w????.bin", "pix7????.bin", "fxt6????.bin", "hq2?????.pgm"};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// The version part of a name: from the pattern's first '?' (the start when it has none) up to its
// last '.' (the end when it has none), cut at the same positions from the name.
std::string VersionPart(std::string_view pattern, std::string_view name) {
    const std::size_t q = pattern.find('?');
    const std::size_t first = q == std::string_view::npos ? 0 : q;
    const std::size_t dot = pattern.rfind('.');
    const std::size_t last = dot == std::string_view::npos ? pattern.size() : dot;
    if (first >= name.size())
        return {};
    return std::string(name.substr(first, last - first));
}

}  // namespace

const char* CLcdFileSet::Pattern(int nId) {
    return PATTERNS[nId];
}

int CLcdFileSet::Find(std::string& strFolder, CLcdUpdater& updater) {
    m_paths.fill(std::nullopt);
    m_nTotalSize = 0;
    strFolder = vx9kr::AddTrailingSeparator(strFolder);
    const std::filesystem::path folder = vx9kr::PathFromText(strFolder);

    for (int nId = 0; nId < FILE_COUNT; ++nId) {
        std::optional<vx9kr::FoundEntry> kept;
        std::string strKeptVersion;
        // Entries come in name order, so among several matches the choice is the same on every
        // platform: the last whose version differs from the one kept before it.
        for (const vx9kr::FoundEntry& entry : vx9kr::FindFiles(folder, PATTERNS[nId])) {
            if (entry.isDirectory)
                continue;
            const std::string strVersion = VersionPart(PATTERNS[nId], entry.name);
            if (!kept || !SameIgnoringCase(strVersion, strKeptVersion)) {
                strKeptVersion = strVersion;
                kept = entry;
            }
        }
        if (!kept)
            continue;
        m_paths[nId] = strFolder + kept->name;
        m_nTotalSize += static_cast<std::uint32_t>(kept->size);
        if (nId == 1 && strKeptVersion.starts_with("10"))
            updater.m_nExeMode = EXEMODE_ERASE;
    }

    for (const auto& path : m_paths) {
        if (!path)
            return 1;
    }
    return 0;
}
