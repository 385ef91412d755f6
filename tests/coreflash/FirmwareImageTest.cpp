#include <gtest/gtest.h>

#include <functional>

#include "coreflash/engine/FirmwareImage.h"
#include "tests/coreflash/PgmBuilder.h"
#include "tests/coreflash/RecordingLoadReporter.h"
#include "tests/support/TempFolder.h"

namespace {

using Bytes = PgmBuilder::Bytes;

class FirmwareImageTest : public testing::Test {
  protected:
    bool Read(const Bytes& file) {
        return image.ReadImageFile(folder.Write("fw.pgm", file), report);
    }

    vx9kr::test::TempFolder folder;
    RecordingLoadReporter report;
    CFirmwareImage image;
};

TEST_F(FirmwareImageTest, PresentPagesLandInAnImageOfFF) {
    PgmBuilder pgm;
    pgm.imageSize = 6 * 4096 + 100;
    pgm.pages = {{0, PgmBuilder::Page(1)}, {2, PgmBuilder::Page(2)}, {5, Bytes(4096, 0x00)}};
    ASSERT_TRUE(Read(pgm.Build()));
    EXPECT_EQ(report.position, 2);
    EXPECT_EQ(image.ModelName(), "VX9KR");
    EXPECT_EQ(image.DeviceSelector(), 0x12);
    EXPECT_EQ(image.BlockSize(), 256u);
    EXPECT_EQ(image.ImageSize(), 6 * 4096u + 100);
    EXPECT_EQ(image.Region2Address(), 8192u);
    EXPECT_EQ(image.PresentPages(), 3u);
    const Bytes& bytes = image.Image();
    ASSERT_EQ(bytes.size(), 6 * 4096u + 100);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4096), PgmBuilder::Page(1));
    EXPECT_EQ(Bytes(bytes.begin() + 4096, bytes.begin() + 8192), Bytes(4096, 0xFF));
    EXPECT_EQ(Bytes(bytes.begin() + 8192, bytes.begin() + 12288), PgmBuilder::Page(2));
    EXPECT_EQ(Bytes(bytes.begin() + 5 * 4096, bytes.begin() + 6 * 4096), Bytes(4096, 0x00));
    EXPECT_EQ(Bytes(bytes.end() - 100, bytes.end()), Bytes(100, 0xFF));
}

TEST_F(FirmwareImageTest, ImageBelowOnePageHasNoPagesAtAll) {
    PgmBuilder pgm;
    pgm.imageSize = 4000;
    pgm.region1Size = 4000;
    pgm.region2Size = 0;
    ASSERT_TRUE(Read(pgm.Build()));
    EXPECT_EQ(image.Image(), Bytes(4000, 0xFF));
}

TEST_F(FirmwareImageTest, AnyNonzeroMapByteMarksAPresentPage) {
    PgmBuilder pgm;
    pgm.pages = {{0, PgmBuilder::Page(3)}, {1, PgmBuilder::Page(4)}, {2, PgmBuilder::Page(5)}};
    Bytes file = pgm.Build();
    file[128] = 0x80;
    file[129] = 0xFF;
    ASSERT_TRUE(Read(file));
    EXPECT_EQ(image.PresentPages(), 3u);
}

TEST_F(FirmwareImageTest, WrongChecksumIsAFormatErrorAtItsPage) {
    PgmBuilder pgm;
    pgm.imageSize = 5 * 4096;
    for (std::uint32_t i = 0; i < 5; ++i)
        pgm.pages[i] = PgmBuilder::Page(static_cast<std::uint8_t>(i));
    pgm.wrongChecksums = {{3, 0x00}};
    EXPECT_FALSE(Read(pgm.Build()));
    EXPECT_EQ(report.status, "File format error!!");
    EXPECT_EQ(report.position, 1);
}

TEST_F(FirmwareImageTest, ChecksumOfEqualBytesIsFF) {
    PgmBuilder pgm;
    Bytes single(4096, 0x00);
    single[10] = 0x01;
    pgm.pages = {{0, Bytes(4096, 0x5A)}, {1, single}};
    const Bytes file = pgm.Build();
    const std::size_t checksums = file.size() - 4;
    EXPECT_EQ(file[checksums], 0xFF);
    EXPECT_EQ(file[checksums + 1], 0xFE);
    EXPECT_TRUE(Read(file));
}

TEST_F(FirmwareImageTest, MissingFileIsNotFound) {
    EXPECT_FALSE(image.ReadImageFile(folder.Path() / "none.pgm", report));
    EXPECT_EQ(report.status, "File not found!!");
    EXPECT_EQ(report.position, 0);
    EXPECT_FALSE(image.ReadImageFile(folder.Path(), report));
    EXPECT_EQ(report.status, "File not found!!");
}

struct BrokenCase {
    const char* name;
    std::function<Bytes()> file;
};

void PrintTo(const BrokenCase& c, std::ostream* out) {
    *out << c.name;
}

class BrokenFileTest : public FirmwareImageTest, public testing::WithParamInterface<BrokenCase> {};

// Whatever the file says about itself, nothing is read or written outside it or the image.
TEST_P(BrokenFileTest, IsAFormatErrorBeforeAnyPageIsTaken) {
    EXPECT_FALSE(Read(GetParam().file()));
    EXPECT_EQ(report.status, "File format error!!");
    EXPECT_EQ(report.position, 1);
    EXPECT_TRUE(image.Image().empty());
}

PgmBuilder WithPages() {
    PgmBuilder pgm;
    pgm.pages = {{0, PgmBuilder::Page(1)}, {1, PgmBuilder::Page(2)}};
    return pgm;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenFileTest,
    testing::Values(BrokenCase{"shorter_than_its_header", [] { return Bytes(127, 0); }},
                    BrokenCase{"map_past_the_end",
                               [] {
                                   Bytes file = WithPages().Build();
                                   file.resize(128 + 2);
                                   return file;
                               }},
                    BrokenCase{"pages_past_the_end",
                               [] {
                                   Bytes file = WithPages().Build();
                                   file.resize(file.size() - 4096);
                                   return file;
                               }},
                    BrokenCase{"huge_image_in_a_small_file",
                               [] {
                                   Bytes file = WithPages().Build();
                                   file[108] = 0xFF;
                                   file[109] = 0xFF;
                                   file[110] = 0xF0;
                                   file[111] = 0x00;
                                   return file;
                               }},
                    BrokenCase{"block_size_0",
                               [] {
                                   PgmBuilder pgm = WithPages();
                                   pgm.blockSize = 0;
                                   return pgm.Build();
                               }},
                    BrokenCase{"region_past_the_image",
                               [] {
                                   PgmBuilder pgm = WithPages();
                                   pgm.region2Size = 8193;
                                   return pgm.Build();
                               }},
                    BrokenCase{"region_wrapping_32_bits",
                               [] {
                                   PgmBuilder pgm = WithPages();
                                   pgm.region1Address = 0xFFFFFF00;
                                   pgm.region1Size = 0x200;
                                   return pgm.Build();
                               }},
                    BrokenCase{"selector_not_a_data_byte",
                               [] {
                                   PgmBuilder pgm = WithPages();
                                   pgm.selector = 0x80;
                                   return pgm.Build();
                               }}),
    [](const testing::TestParamInfo<BrokenCase>& info) { return std::string(info.param.name); });

TEST_F(FirmwareImageTest, LoadVersionShowsTheHeadersVersionText) {
    PgmBuilder pgm;
    CFirmwareImage::ShowLoadVersion(folder.Write("a.pgm", pgm.Build()), report);
    EXPECT_EQ(report.status, "Load Version V1.20");

    pgm.version = std::string("\0abc", 4);
    CFirmwareImage::ShowLoadVersion(folder.Write("b.pgm", pgm.Build()), report);
    EXPECT_EQ(report.status, "Load Version ");

    report.status = "kept";
    CFirmwareImage::ShowLoadVersion(folder.Write("c.pgm", Bytes(127, 'x')), report);
    CFirmwareImage::ShowLoadVersion(folder.Path() / "none.pgm", report);
    EXPECT_EQ(report.status, "kept");
}

}  // namespace
