#include <gtest/gtest.h>

#include "panelflash/engine/LcdFileSet.h"
#include "platform/Paths.h"
#include "tests/panelflash/LcdEngineFixture.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr char kSep = std::filesystem::path::preferred_separator;

class FileSetTest : public LcdEngineTest<ScriptedLcdDevice> {
  protected:
    void WriteSet(std::initializer_list<std::pair<const char*, std::size_t>> files) {
        for (const auto& [name, size] : files)
            folder.Write(name, Bytes(size, 0x11));
    }
    vx9kr::test::TempFolder folder;
    CLcdFileSet set;
};

TEST_F(FileSetTest, FindsOneFileForEachPatternAndAddsTheirSizes) {
    WriteSet({{"qrx41m.bin", 10},
              {"kt4w0200.bin", 20},
              {"pix7ABCD.bin", 30},
              {"fxt60001.bin", 40},
              {"hq212345.pgm", 50},
              {"readme.txt", 1000}});
    std::string text = folder.Text();
    EXPECT_EQ(set.Find(text, updater), 0);
    EXPECT_EQ(text, folder.Text() + kSep);
    EXPECT_EQ(*set.GetPath(0), text + "qrx41m.bin");
    EXPECT_EQ(*set.GetPath(2), text + "pix7ABCD.bin");
    EXPECT_EQ(*set.GetPath(4), text + "hq212345.pgm");
    EXPECT_EQ(set.GetTotalSize(), 150u);
    EXPECT_EQ(updater.m_nExeMode, EXEMODE_REMOVEDIR);

    // A folder that already ends with a separator keeps it as it is.
    EXPECT_EQ(set.Find(text, updater), 0);
    EXPECT_EQ(text, folder.Text() + kSep);
}

TEST_F(FileSetTest, AmongSeveralMatchesTheLastInNameOrderIsKept) {
    WriteSet({{"qrx41m.bin", 1},
              {"kt4w1000.bin", 2},
              {"kt4w0100.bin", 3},
              {"pix70001.bin", 1},
              {"fxt60001.bin", 1},
              {"hq200001.pgm", 1}});
    std::string text = folder.Text();
    EXPECT_EQ(set.Find(text, updater), 0);
    EXPECT_EQ(vx9kr::FileNamePart(*set.GetPath(1)), "kt4w1000.bin");
    EXPECT_EQ(set.GetTotalSize(), 6u);
    EXPECT_EQ(updater.m_nExeMode, EXEMODE_ERASE);
}

TEST_F(FileSetTest, VersionNotBeginning10KeepsTheMode) {
    WriteSet({{"qrx41m.bin", 1},
              {"kt4w0100.bin", 1},
              {"kt4w0999.bin", 1},
              {"pix70001.bin", 1},
              {"fxt60001.bin", 1},
              {"hq200001.pgm", 1}});
    updater.m_nExeMode = EXEMODE_COPYONLY;
    std::string text = folder.Text();
    EXPECT_EQ(set.Find(text, updater), 0);
    EXPECT_EQ(vx9kr::FileNamePart(*set.GetPath(1)), "kt4w0999.bin");
    EXPECT_EQ(updater.m_nExeMode, EXEMODE_COPYONLY);
}

TEST_F(FileSetTest, MissingPatternLeavesItsIdEmpty) {
    WriteSet({{"qrx41m.bin", 1}, {"kt4w0200.bin", 1}, {"pix7ABCD.bin", 1}, {"fxt60001.bin", 1}});
    std::filesystem::create_directory(folder.Path() / "hq212345.pgm");
    std::string text = folder.Text();
    EXPECT_EQ(set.Find(text, updater), 1);
    EXPECT_TRUE(set.GetPath(3));
    EXPECT_FALSE(set.GetPath(4));
    EXPECT_STREQ(CLcdFileSet::Pattern(4), "hq2?????.pgm");
}

TEST_F(FileSetTest, LetterCaseDoesNotMatter) {
    WriteSet({{"QRX41M.BIN", 1},
              {"KT4W0200.BIN", 1},
              {"Pix7abcd.Bin", 1},
              {"fxt60001.bin", 1},
              {"HQ212345.PGM", 1}});
    std::string text = folder.Text();
    EXPECT_EQ(set.Find(text, updater), 0);
    EXPECT_EQ(vx9kr::FileNamePart(*set.GetPath(0)), "QRX41M.BIN");
}

TEST_F(FileSetTest, FolderThatDoesNotExistGivesNothing) {
    std::string text = (folder.Path() / "missing").string();
    EXPECT_EQ(set.Find(text, updater), 1);
    for (int id = 0; id < CLcdFileSet::FILE_COUNT; ++id)
        EXPECT_FALSE(set.GetPath(id));
    EXPECT_EQ(set.GetTotalSize(), 0u);
}

}  // namespace
