#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Writes Main CPU firmware files for tests: a header, the page map, the present pages and their
// checksums, with every field open to change so that broken files can be made too.
struct PgmBuilder {
    using Bytes = std::vector<std::uint8_t>;

    std::string modelName = "VX9KR";
    std::string version = "V1.20";
    std::uint8_t selector = 0x12;
    std::uint32_t blockSize = 256;
    std::uint32_t imageSize = 4 * 4096;
    std::uint32_t region1Address = 0, region1Size = 8192;
    std::uint32_t region2Address = 8192, region2Size = 8192;
    std::map<std::uint32_t, Bytes> pages;  // page number -> its 4096 bytes
    std::map<std::uint32_t, std::uint8_t> wrongChecksums;

    static Bytes Page(std::uint8_t seed) {
        Bytes page(4096);
        for (std::size_t i = 0; i < page.size(); ++i)
            page[i] = static_cast<std::uint8_t>(seed + i * 7);
        return page;
    }

    Bytes Build() const {
        Bytes file(128, 0);
        std::copy(modelName.begin(), modelName.end(), file.begin());
        std::copy(version.begin(), version.end(), file.begin() + 16);
        file[80] = selector;
        const auto put = [&](std::size_t at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                file[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
        };
        put(104, blockSize);
        put(108, imageSize);
        put(112, region1Address);
        put(116, region1Size);
        put(120, region2Address);
        put(124, region2Size);
        const std::uint32_t count = imageSize / 4096;
        for (std::uint32_t i = 0; i < count; ++i)
            file.push_back(pages.count(i) ? 1 : 0);
        Bytes checksums(count, 0);
        for (const auto& [number, bytes] : pages) {
            file.insert(file.end(), bytes.begin(), bytes.end());
            std::uint8_t sum = 0;
            for (std::uint8_t b : bytes)
                sum = static_cast<std::uint8_t>(sum + b);
            if (number < count)
                checksums[number] = static_cast<std::uint8_t>(~sum);
        }
        for (const auto& [number, value] : wrongChecksums)
            checksums[number] = value;
        file.insert(file.end(), checksums.begin(), checksums.end());
        return file;
    }
};
