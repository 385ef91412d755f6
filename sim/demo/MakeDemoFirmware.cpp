// Writes the demonstration firmware for the simulated VX9KR: the five files of an LCD update into
// one folder, each filled with bytes that look like firmware and differ from file to file, and a
// Main CPU image for the boot loader into another.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim/main/MainCpuBehaviour.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct DemoFile {
    const char* name;
    std::size_t size;
};

// About a hundred blocks in all, so that the progress bar, which steps once per percentage, fills
// as it does for real firmware.
constexpr DemoFile kLcdFiles[] = {
    {"qrx41m.bin", 25000},   {"kt4w0200.bin", 120000}, {"pix70200.bin", 90000},
    {"fxt60200.bin", 80000}, {"hq200200.pgm", 45000},
};

constexpr const char* kMainFile = "vx9kr_v120.pgm";
constexpr const char* kMainVersion = "V1.20";
constexpr std::size_t kHeaderSize = 128;
constexpr std::uint32_t kPageSize = 4096;
// Sixteen blocks of Copy progress; the two regions hold the code and the tables, and the last
// 64 KiB is left empty, as is the spare room at the end of each region.
constexpr std::uint32_t kBlockSize = 0x10000;
constexpr std::uint32_t kImageSize = 0x80000;
constexpr std::uint32_t kRegion1Address = 0, kRegion1Size = 0x40000;
constexpr std::uint32_t kRegion2Address = 0x40000, kRegion2Size = 0x30000;

Bytes Contents(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    std::uint32_t state = seed * 2654435761u + 1;
    for (std::uint8_t& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

bool Write(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool PagePresent(std::uint32_t page) {
    const std::uint32_t address = page * kPageSize;
    const auto endsRegion = [address](std::uint32_t start, std::uint32_t size) {
        return address >= start + size - 2 * kPageSize && address < start + size;
    };
    return address < kRegion2Address + kRegion2Size && !endsRegion(kRegion1Address, kRegion1Size) &&
           !endsRegion(kRegion2Address, kRegion2Size);
}

void PutBigEndian(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// Header, page map, the present pages, then each page's checksum: the complement of its 8-bit sum.
Bytes MainImage() {
    Bytes file(kHeaderSize, 0);
    const std::string_view name = vx9kr::sim::kMainCpuModelName;
    std::copy(name.begin(), name.end(), file.begin());
    std::copy_n(kMainVersion, 5, file.begin() + 16);
    file[80] = vx9kr::sim::kMainCpuSelector;
    PutBigEndian(file, 104, kBlockSize);
    PutBigEndian(file, 108, kImageSize);
    PutBigEndian(file, 112, kRegion1Address);
    PutBigEndian(file, 116, kRegion1Size);
    PutBigEndian(file, 120, kRegion2Address);
    PutBigEndian(file, 124, kRegion2Size);
    const std::uint32_t pages = kImageSize / kPageSize;
    for (std::uint32_t page = 0; page < pages; ++page)
        file.push_back(PagePresent(page) ? 1 : 0);
    Bytes checksums(pages, 0);
    for (std::uint32_t page = 0; page < pages; ++page) {
        if (!PagePresent(page))
            continue;
        const Bytes bytes = Contents(kPageSize, 100 + page);
        file.insert(file.end(), bytes.begin(), bytes.end());
        std::uint8_t sum = 0;
        for (const std::uint8_t b : bytes)
            sum = static_cast<std::uint8_t>(sum + b);
        checksums[page] = static_cast<std::uint8_t>(~sum);
    }
    file.insert(file.end(), checksums.begin(), checksums.end());
    return file;
}

bool WriteInto(const std::filesystem::path& folder, const char* name, const Bytes& bytes) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (Write(folder / name, bytes))
        return true;
    std::fprintf(stderr, "make-demo-firmware: cannot write %s\n", (folder / name).string().c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-demo-firmware LCD-FOLDER MAIN-FOLDER\n");
        return 2;
    }
    const std::filesystem::path lcd = argv[1];
    std::uint32_t seed = 1;
    for (const DemoFile& file : kLcdFiles) {
        Bytes bytes = Contents(file.size, seed++);
        // The AD firmware carries its maker's old signature, which the update replaces.
        if (std::string(file.name).ends_with(".pgm"))
            std::copy_n("TB3K", 4, bytes.begin());
        if (!WriteInto(lcd, file.name, bytes))
            return 1;
    }
    return WriteInto(argv[2], kMainFile, MainImage()) ? 0 : 1;
}
