#include <gtest/gtest.h>

#include "sim/lcd/LcdFileStore.h"
#include "sim/lcd/LcdStagedFiles.h"

namespace vx9kr::sim {
namespace {

using Files = LcdFileStore::Files;

TEST(LcdFilePattern, QuestionMarkIsOneCharacterAndCaseIsIgnored) {
    EXPECT_TRUE(MatchesLcdPattern("hq200002.pgm", "hq2?????.pgm"));
    EXPECT_TRUE(MatchesLcdPattern("HQ2ABCDE.PGM", "hq2?????.pgm"));
    EXPECT_FALSE(MatchesLcdPattern("hq20002.pgm", "hq2?????.pgm"));
    EXPECT_FALSE(MatchesLcdPattern("hq2000002.pgm", "hq2?????.pgm"));
    EXPECT_FALSE(MatchesLcdPattern("hq500002.pgm", "hq2?????.pgm"));
    EXPECT_FALSE(MatchesLcdPattern("hq200002.bin", "hq2?????.pgm"));
}

TEST(LcdFileStore, NamesDifferingInCaseAreOneFileKeptAsLastWritten) {
    LcdFileStore store;
    store.Put("qrx41m.bin", {1});
    store.Put("QRX41M.BIN", {2, 3});
    EXPECT_TRUE(store.Contains("Qrx41m.Bin"));
    EXPECT_EQ(store.Snapshot(), (Files{{"QRX41M.BIN", {2, 3}}}));
    EXPECT_TRUE(store.Remove("qrx41M.bin"));
    EXPECT_FALSE(store.Remove("qrx41m.bin"));
    EXPECT_TRUE(store.Snapshot().empty());
}

TEST(LcdFileStore, RenameReplacesTheTargetAndNeedsItsSource) {
    LcdFileStore store(Files{{"a.bin", {1}}, {"B.bin", {2}}});
    EXPECT_TRUE(store.Rename("A.BIN", "b.bin"));
    EXPECT_EQ(store.Snapshot(), (Files{{"b.bin", {1}}}));
    EXPECT_FALSE(store.Rename("a.bin", "c.bin"));
}

struct InstallCase {
    const char* name;
    Files before;
    Files after;
};

TEST(LcdStagedFiles, EachStagedFileReplacesItsFamily) {
    const std::vector<InstallCase> cases{
        {"all four families, older versions present",
         {{"qrx41m.bin", {0}},
          {"kt4w0100.bin", {1}},
          {"kt5w0200.bin", {11}},
          {"pix70100.bin", {2}},
          {"pi57ABCD.bin", {12}},
          {"fxt60000.bin", {3}},
          {"fx560001.bin", {13}},
          {"hq200001.pgm", {4}},
          {"hq500002.pgm", {14}}},
         {{"qrx41m.bin", {0}},
          {"kt4w0200.bin", {11}},
          {"pix7ABCD.bin", {12}},
          {"fxt60001.bin", {13}},
          {"hq200002.pgm", {14}}}},
        {"no older versions",
         {{"kt5w0200.bin", {11}}, {"hq5AAAAA.pgm", {14}}},
         {{"kt4w0200.bin", {11}}, {"hq2AAAAA.pgm", {14}}}},
        {"families without a staged file keep theirs",
         {{"kt5w0200.bin", {11}}, {"kt4w0100.bin", {1}}, {"pix70100.bin", {2}}},
         {{"kt4w0200.bin", {11}}, {"pix70100.bin", {2}}}},
        {"same version staged and installed",
         {{"kt5w0200.bin", {11}}, {"kt4w0200.bin", {1}}},
         {{"kt4w0200.bin", {11}}}},
        {"names that only look staged stay",
         {{"kt5w020.bin", {1}}, {"qrx51m.bin", {2}}},
         {{"kt5w020.bin", {1}}, {"qrx51m.bin", {2}}}},
    };
    for (const InstallCase& c : cases) {
        SCOPED_TRACE(c.name);
        LcdFileStore store(c.before);
        InstallStagedFiles(store);
        EXPECT_EQ(store.Snapshot(), c.after);
    }
}

}  // namespace
}  // namespace vx9kr::sim
