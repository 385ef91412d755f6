// Any bytes as a .pgm file. A file that ReadImageFile accepts must be safe for the load sequence to
// take at its word: every region inside the image, the image as large as the header says, and
// each byte of it where the file's layout puts it.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>

#include "coreflash/engine/FirmwareImage.h"
#include "coreflash/engine/StatusTextReporter.h"
#include "fuzz/Invariant.h"

namespace {

// The reader wants a path. One file per process, so that parallel fuzzers do not share it; it is
// rewritten for each input and removed when the process ends normally.
class CInputFile {
  public:
    CInputFile()
        : m_path(std::filesystem::temp_directory_path() /
                 ("vx9kr-fuzz-read-image-" + std::to_string(::getpid()) + ".pgm")) {}
    ~CInputFile() {
        std::error_code error;
        std::filesystem::remove(m_path, error);
    }
    CInputFile(const CInputFile&) = delete;
    CInputFile& operator=(const CInputFile&) = delete;

    const std::filesystem::path& Write(const std::uint8_t* data, std::size_t size) {
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        out.close();
        if (!out) {
            // Fuzzing on without the input in place would pass every check for nothing.
            std::fprintf(stderr, "cannot write the input to %s\n", m_path.c_str());
            std::abort();
        }
        return m_path;
    }

  private:
    std::filesystem::path m_path;
};

std::uint32_t BigEndian(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
           std::uint32_t{p[3]};
}

bool InsideImage(std::uint32_t address, std::uint32_t size, std::uint32_t imageSize) {
    return size == 0 || std::uint64_t{address} + size <= imageSize;
}

void CheckHeader(const CFirmwareImage& image, const std::uint8_t* data, std::size_t size) {
    Require(size >= CFirmwareImage::HEADER_SIZE, "a header shorter than 128 bytes");
    const std::string& name = image.ModelName();
    Require(name.size() <= 16, "model name longer than its 16 bytes of header");
    Require(std::memcmp(name.data(), data, name.size()) == 0, "model name differs from the header");
    Require(name.size() == 16 || data[name.size()] == 0, "model name does not end at a NUL");
    Require(image.DeviceSelector() == data[80], "device selector differs from the header");
    Require(image.DeviceSelector() < 0x80, "device selector that is no SysEx data byte");
    Require(image.BlockSize() == BigEndian(data + 104), "block size differs from the header");
    Require(image.BlockSize() != 0, "block size 0");
    Require(image.ImageSize() == BigEndian(data + 108), "image size differs from the header");
    Require(image.Image().size() == image.ImageSize(), "image buffer not of the header's size");
    Require(image.Region1Address() == BigEndian(data + 112), "region 1 address differs");
    Require(image.Region1Size() == BigEndian(data + 116), "region 1 size differs");
    Require(image.Region2Address() == BigEndian(data + 120), "region 2 address differs");
    Require(image.Region2Size() == BigEndian(data + 124), "region 2 size differs");
    Require(InsideImage(image.Region1Address(), image.Region1Size(), image.ImageSize()),
            "region 1 past the image's end");
    Require(InsideImage(image.Region2Address(), image.Region2Size(), image.ImageSize()),
            "region 2 past the image's end");
    Require(image.VersionText().size() <= 5, "version text longer than its 5 bytes of header");
    Require(std::memcmp(image.VersionText().data(), data + 16, image.VersionText().size()) == 0,
            "version text differs from the header");
    for (const auto& [address, length] : {std::pair{image.Region1Address(), image.Region1Size()},
                                          std::pair{image.Region2Address(), image.Region2Size()}}) {
        std::uint16_t sum = 0;
        for (std::uint32_t i = 0; i < length; ++i)
            sum = static_cast<std::uint16_t>(sum + image.Image()[address + i]);
        Require(image.RegionSum(address, length) == sum, "region sum differs from its bytes");
    }
}

// Walks the file as its layout describes it and compares every image byte with what belongs there.
void CheckImage(const CFirmwareImage& image, const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kPage = CFirmwareImage::PAGE_SIZE;
    const std::uint8_t* pImage = image.Image().data();
    const std::size_t nImage = image.Image().size();
    const std::size_t nPages = nImage / kPage;
    // The map and the checksum table first, so that the walk below stays inside the input.
    Require(CFirmwareImage::HEADER_SIZE + 2 * std::uint64_t{nPages} <= size,
            "file shorter than its map and checksums");
    const std::uint8_t* map = data + CFirmwareImage::HEADER_SIZE;
    const std::size_t nPresent =
        static_cast<std::size_t>(std::count_if(map, map + nPages, [](auto b) { return b != 0; }));
    Require(image.PresentPages() == nPresent, "present page count differs from the map");
    Require(
        CFirmwareImage::HEADER_SIZE + 2 * std::uint64_t{nPages} + std::uint64_t{kPage} * nPresent <=
            size,
        "file shorter than its map, pages and checksums");

    const std::uint8_t* checksums = data + size - nPages;
    const std::uint8_t* cursor = map + nPages;
    for (std::size_t i = 0; i < nPages; ++i) {
        const std::uint8_t* page = pImage + i * kPage;
        if (map[i] == 0) {
            Require(std::all_of(page, page + kPage, [](auto b) { return b == 0xFF; }),
                    "absent page not 0xFF");
            continue;
        }
        Require(std::equal(page, page + kPage, cursor), "present page differs from its data");
        std::uint8_t nSum = 0;
        for (std::size_t k = 0; k < kPage; ++k)
            nSum = static_cast<std::uint8_t>(nSum + page[k]);
        Require(static_cast<std::uint8_t>(~nSum) == checksums[i], "page with a wrong checksum");
        cursor += kPage;
    }
    Require(std::all_of(pImage + nPages * kPage, pImage + nImage, [](auto b) { return b == 0xFF; }),
            "bytes past the last whole page not 0xFF");
}

void CheckVersion(const CStatusTextReporter& reporter, const std::uint8_t* data, std::size_t size) {
    if (size < CFirmwareImage::HEADER_SIZE) {
        Require(reporter.Texts() == 0, "version shown of a file without a whole header");
        return;
    }
    Require(reporter.Texts() == 1, "version not shown once");
    const std::uint8_t* version = data + 16;
    const std::string expected =
        "Load Version " + std::string(version, std::find(version, version + 5, 0));
    Require(reporter.Status() == expected, "version text differs from the header");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CInputFile input;
    const std::filesystem::path& path = input.Write(data, size);

    CStatusTextReporter silent;
    CFirmwareImage image;
    if (image.ReadImageFile(path, silent)) {
        CheckHeader(image, data, size);
        CheckImage(image, data, size);
    }

    CStatusTextReporter version;
    CFirmwareImage::ShowLoadVersion(path, version);
    CheckVersion(version, data, size);
    return 0;
}
