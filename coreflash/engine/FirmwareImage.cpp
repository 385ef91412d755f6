#include "coreflash/engine/FirmwareImage.h"

#include <algorithm>
#include <fstream>
#include <new>
#include <numeric>

namespace {

constexpr const char* kFileNotFound = "File not found!!";
constexpr const char* kNoMemoryForFile = "Not enough memory! try closing some applications.";
constexpr const char* kNoMemoryForImage = "Not enough memory! try closing some applications";
constexpr const char* kReadError = "File read error!!";
constexpr const char* kFormatError = "File format error!!";

// The model name and the version text share the header's first 21 bytes.
constexpr std::size_t kModelNameRoom = 16;
constexpr std::size_t kVersionOffset = 16;
constexpr std::size_t kVersionLength = 5;

std::uint32_t BigEndian(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
           std::uint32_t{p[3]};
}

// Text up to its first NUL, within `room` bytes.
std::string TextAt(const std::uint8_t* p, std::size_t room) {
    const auto* end = std::find(p, p + room, 0);
    return {reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p)};
}

// A region ends inside the image; one of size 0 is absent and fits anywhere.
bool FitsInImage(std::uint32_t address, std::uint32_t size, std::uint32_t imageSize) {
    return size == 0 || std::uint64_t{address} + size <= imageSize;
}

}  // namespace

bool CFirmwareImage::ReadImageFile(const std::filesystem::path& path, CLoadReporter& reporter) {
    Release();
    std::ifstream file(path, std::ios::binary);
    std::error_code error;
    const std::uintmax_t nLength = std::filesystem::file_size(path, error);
    if (!file || error) {
        reporter.SetStatusText(kFileNotFound);
        return false;
    }
    try {
        m_abFile.assign(static_cast<std::size_t>(nLength), 0);
    } catch (const std::bad_alloc&) {
        reporter.SetStatusText(kNoMemoryForFile);
        return false;
    }
    file.read(reinterpret_cast<char*>(m_abFile.data()), static_cast<std::streamsize>(nLength));
    if (static_cast<std::uintmax_t>(file.gcount()) != nLength) {
        reporter.SetStatusText(kReadError);
        return false;
    }
    file.close();
    reporter.SetProgressPos(1);

    // Everything the pages are read from must lie inside the file, before anything is reserved
    // for the image, whose size the header gives.
    if (!CheckLayout()) {
        reporter.SetStatusText(kFormatError);
        return false;
    }
    try {
        m_abWork.assign(m_abFile.size(), 0);
        m_abImage.assign(m_nImageSize, 0);
    } catch (const std::bad_alloc&) {
        reporter.SetStatusText(kNoMemoryForImage);
        return false;
    }
    std::fill(m_abImage.begin(), m_abImage.end(), 0xFF);
    std::copy(m_abFile.begin(), m_abFile.end(), m_abWork.begin());

    const std::size_t nPages = m_nImageSize / PAGE_SIZE;
    const std::size_t nChecksums = m_abWork.size() - nPages;
    std::size_t nCursor = HEADER_SIZE + nPages;
    for (std::size_t i = 0; i < nPages; ++i) {
        if (m_abWork[HEADER_SIZE + i] == 0)
            continue;
        const auto page = m_abWork.begin() + static_cast<std::ptrdiff_t>(nCursor);
        std::copy(page, page + PAGE_SIZE,
                  m_abImage.begin() + static_cast<std::ptrdiff_t>(i * PAGE_SIZE));
        nCursor += PAGE_SIZE;
        const auto nSum = static_cast<std::uint8_t>(std::accumulate(page, page + PAGE_SIZE, 0u));
        if (static_cast<std::uint8_t>(~nSum) != m_abWork[nChecksums + i]) {
            reporter.SetStatusText(kFormatError);
            return false;
        }
    }
    reporter.SetProgressPos(2);
    return true;
}

bool CFirmwareImage::CheckLayout() {
    if (m_abFile.size() < HEADER_SIZE)
        return false;
    const std::uint8_t* header = m_abFile.data();
    m_strModelName = TextAt(header, kModelNameRoom);
    m_strVersion = TextAt(header + kVersionOffset, kVersionLength);
    m_nDeviceSelector = header[80];
    m_nBlockSize = BigEndian(header + 104);
    m_nImageSize = BigEndian(header + 108);
    m_nRegion1Address = BigEndian(header + 112);
    m_nRegion1Size = BigEndian(header + 116);
    m_nRegion2Address = BigEndian(header + 120);
    m_nRegion2Size = BigEndian(header + 124);

    // The selector travels as a SysEx data byte, which has no room for bit 7.
    if (m_nDeviceSelector >= 0x80 || m_nBlockSize == 0)
        return false;
    if (!FitsInImage(m_nRegion1Address, m_nRegion1Size, m_nImageSize) ||
        !FitsInImage(m_nRegion2Address, m_nRegion2Size, m_nImageSize)) {
        return false;
    }
    const std::uint64_t nPages = m_nImageSize / PAGE_SIZE;
    if (HEADER_SIZE + 2 * nPages > m_abFile.size())
        return false;
    m_nPresentPages = static_cast<std::size_t>(
        std::count_if(m_abFile.begin() + HEADER_SIZE,
                      m_abFile.begin() + static_cast<std::ptrdiff_t>(HEADER_SIZE + nPages),
                      [](std::uint8_t b) { return b != 0; }));
    return HEADER_SIZE + 2 * nPages + std::uint64_t{PAGE_SIZE} * m_nPresentPages <= m_abFile.size();
}

void CFirmwareImage::ShowLoadVersion(const std::filesystem::path& path, CLoadReporter& reporter) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return;
    std::uint8_t header[HEADER_SIZE];
    file.read(reinterpret_cast<char*>(header), HEADER_SIZE);
    if (file.gcount() != static_cast<std::streamsize>(HEADER_SIZE))
        return;
    reporter.SetStatusText("Load Version " + TextAt(header + kVersionOffset, kVersionLength));
}

std::uint16_t CFirmwareImage::RegionSum(std::uint32_t nAddress, std::uint32_t nSize) const {
    // An absent region may name any address, even one past the image.
    if (nSize == 0)
        return 0;
    const auto first = m_abImage.begin() + nAddress;
    return static_cast<std::uint16_t>(std::accumulate(first, first + nSize, 0u));
}

void CFirmwareImage::Release() {
    m_abFile = {};
    m_abWork = {};
    m_abImage = {};
    m_nPresentPages = 0;
}
