#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "coreflash/engine/LoadReporter.h"

// A Main CPU firmware file (.pgm) read, checked and laid out as the Main CPU's memory.
//
// The file: a 128-byte header (big-endian numbers), a page map with one byte per 4096-byte page of
// the image (nonzero: present), the present pages' data in page order, and at the very end one
// checksum byte per page, the complement of the page's 8-bit sum.
class CFirmwareImage {
  public:
    static constexpr std::size_t HEADER_SIZE = 128;
    static constexpr std::size_t PAGE_SIZE = 4096;

    // Reads and checks the file and builds the image. On failure the status line already says
    // why. Progress: 1 once the file is in memory, 2 once every present page has passed its check
    // (the caller has set the range 0..2).
    bool ReadImageFile(const std::filesystem::path& path, CLoadReporter& reporter);

    // Shows the file's version as "Load Version %s", or nothing when its header cannot be read.
    static void ShowLoadVersion(const std::filesystem::path& path, CLoadReporter& reporter);

    // Gives back the buffers; the image is empty again.
    void Release();

    const std::string& ModelName() const { return m_strModelName; }
    // The five characters that ShowLoadVersion shows, up to a NUL among them.
    const std::string& VersionText() const { return m_strVersion; }
    std::uint8_t DeviceSelector() const { return m_nDeviceSelector; }
    std::uint32_t BlockSize() const { return m_nBlockSize; }
    std::uint32_t ImageSize() const { return m_nImageSize; }
    std::uint32_t Region1Address() const { return m_nRegion1Address; }
    std::uint32_t Region1Size() const { return m_nRegion1Size; }
    std::uint32_t Region2Address() const { return m_nRegion2Address; }
    std::uint32_t Region2Size() const { return m_nRegion2Size; }
    const std::vector<std::uint8_t>& Image() const { return m_abImage; }
    std::size_t PresentPages() const { return m_nPresentPages; }
    // The image bytes of a region added up modulo 65536, as Verify sends them.
    std::uint16_t RegionSum(std::uint32_t nAddress, std::uint32_t nSize) const;

  private:
    bool CheckLayout();

    std::vector<std::uint8_t> m_abFile;
    std::vector<std::uint8_t> m_abWork;
    std::vector<std::uint8_t> m_abImage;
    std::string m_strModelName;
    std::string m_strVersion;
    std::uint8_t m_nDeviceSelector = 0;
    std::uint32_t m_nBlockSize = 0;
    std::uint32_t m_nImageSize = 0;
    std::uint32_t m_nRegion1Address = 0;
    std::uint32_t m_nRegion1Size = 0;
    std::uint32_t m_nRegion2Address = 0;
    std::uint32_t m_nRegion2Size = 0;
    std::size_t m_nPresentPages = 0;
};
