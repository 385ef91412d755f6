// Writes the demonstration firmware for the simulated VX9KR into a folder: the five files of an
// LCD update, each filled with bytes that look like firmware and differ from file to file.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

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

std::vector<std::uint8_t> Contents(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t state = seed * 2654435761u + 1;
    for (std::uint8_t& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

bool Write(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-demo-firmware LCD-FOLDER\n");
        return 2;
    }
    const std::filesystem::path lcd = argv[1];
    std::error_code error;
    std::filesystem::create_directories(lcd, error);
    std::uint32_t seed = 1;
    for (const DemoFile& file : kLcdFiles) {
        std::vector<std::uint8_t> bytes = Contents(file.size, seed++);
        // The AD firmware carries its maker's old signature, which the update replaces.
        if (std::string(file.name).ends_with(".pgm"))
            std::copy_n("TB3K", 4, bytes.begin());
        if (!Write(lcd / file.name, bytes)) {
            std::fprintf(stderr, "make-demo-firmware: cannot write %s\n",
                         (lcd / file.name).string().c_str());
            return 1;
        }
    }
    return 0;
}
