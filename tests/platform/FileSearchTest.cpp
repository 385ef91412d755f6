#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/FileSearch.h"

namespace vx9kr {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct MatchCase {
    std::string pattern;
    std::string name;
    bool matches;
};

TEST(WildcardMatchTest, Table) {
    const std::vector<MatchCase> cases = {
        {"", "", true},
        {"", "a", false},
        {"a", "", false},
        {"*", "", true},
        {"*", "anything.bin", true},
        {"**", "x", true},
        {"?", "", false},
        {"?", "a", true},
        {"??", "a", false},
        {"?", "ab", false},
        {"*?", "", false},
        {"*?*", "a", true},
        {"x", "X", true},
        {"*.bin", "FW.BIN", true},
        {"*.BIN", "fw.bin", true},
        {"*.bin", "fw.bin.bak", false},
        {"*.bin", "fw.bi", false},
        {"*.bin", ".bin", true},
        {"LCD?.dat", "lcd1.DAT", true},
        {"LCD?.dat", "LCD12.dat", false},
        {"LCD?.dat", "LCD.dat", false},
        {"a*b*c", "aXbYc", true},
        {"a*b*c", "abc", true},
        {"a*b*c", "aXbY", false},
        {"a*b*c", "acb", false},
        {"*a", "bbbba", true},
        {"*ab", "aab", true},  // the star must give back what it took
        {"*aab", "aaab", true},
        {"a*", "b", false},
        {"*x*", "abc", false},
        {"*.*", "a.b", true},
        {"*.*", "noext", false},  // no special meaning for dots
        {"[a]", "a", false},      // no character classes
        {"[a]", "[A]", true},
        {"\xC3\x84*", "\xC3\xA4x", false},  // only ASCII letters ignore case
        {"\xC3\x84*", "\xC3\x84x", true},
        {"VX9KR_*_v?.hex", "vx9kr_main_V2.HEX", true},
    };
    for (const MatchCase& c : cases) {
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches)
            << "pattern \"" << c.pattern << "\", name \"" << c.name << "\"";
    }
}

// A recursive matcher would overflow the stack on the first and take exponential time on the
// second; a hang here fails through the test's timeout.
TEST(WildcardMatchTest, LongPatternsFinishQuickly) {
    const std::string manyStars = std::string(100000, '*') + "b";
    EXPECT_FALSE(WildcardMatch(manyStars, std::string(100000, 'a')));
    EXPECT_TRUE(WildcardMatch(manyStars, std::string(100000, 'a') + "b"));

    const std::string starsAndLetters = "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(WildcardMatch(starsAndLetters, std::string(20000, 'a')));
    EXPECT_TRUE(WildcardMatch(starsAndLetters, std::string(20000, 'a') + "b"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

class FindFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::mt19937_64 random(std::random_device{}() ^
                               static_cast<std::uint64_t>(
                                   std::chrono::steady_clock::now().time_since_epoch().count()));
        do {
            folder_ = fs::temp_directory_path() / ("vx9kr-search-" + std::to_string(random()));
        } while (!fs::create_directory(folder_));
    }
    void TearDown() override {
        std::error_code error;
        fs::permissions(folder_ / "locked", fs::perms::owner_all, error);
        fs::remove_all(folder_, error);
    }

    void MakeFile(const std::string& name, std::size_t size) {
        std::ofstream(folder_ / name, std::ios::binary) << std::string(size, 'x');
        ASSERT_TRUE(fs::is_regular_file(folder_ / name)) << name;
    }

    static std::vector<std::string> Names(const std::vector<FoundEntry>& found) {
        std::vector<std::string> names;
        for (const FoundEntry& entry : found) {
            names.push_back(entry.name);
        }
        return names;
    }

    fs::path folder_;
};

TEST_F(FindFilesTest, NameOrderIgnoresCase) {
    // Byte order would put "B.bin" before "_x.bin" and "a.bin".
    MakeFile("c.bin", 1);
    MakeFile("B.bin", 1);
    MakeFile("a.bin", 1);
    MakeFile("_x.bin", 1);
    MakeFile("10.bin", 1);
    MakeFile("9.bin", 1);
    MakeFile("readme.txt", 1);
    EXPECT_THAT(Names(FindFiles(folder_, "*.bin")),
                ElementsAre("10.bin", "9.bin", "_x.bin", "a.bin", "B.bin", "c.bin"));
}

TEST_F(FindFilesTest, NamesThatDifferOnlyInCaseAreOrderedByBytes) {
    MakeFile("fw.bin", 1);
    MakeFile("FW.BIN", 2);
    if (!fs::exists(folder_ / "fw.bin") || fs::file_size(folder_ / "fw.bin") != 1) {
        GTEST_SKIP() << "the file system here ignores case";
    }
    MakeFile("Fw.bin", 3);
    EXPECT_THAT(Names(FindFiles(folder_, "FW.bin")), ElementsAre("FW.BIN", "Fw.bin", "fw.bin"));
}

TEST_F(FindFilesTest, PatternIgnoresCase) {
    MakeFile("Panel_LCD.BIN", 1);
    MakeFile("other.bin", 1);
    EXPECT_THAT(Names(FindFiles(folder_, "panel_lcd.bin")), ElementsAre("Panel_LCD.BIN"));
    EXPECT_THAT(Names(FindFiles(folder_, "PANEL*")), ElementsAre("Panel_LCD.BIN"));
}

TEST_F(FindFilesTest, ReportsPathKindAndSize) {
    MakeFile("data.bin", 1234);
    MakeFile("empty.bin", 0);
    fs::create_directory(folder_ / "folder.bin");
    MakeFile("folder.bin/inner.bin", 10);

    const std::vector<FoundEntry> found = FindFiles(folder_, "*.bin");
    ASSERT_EQ(found.size(), 3u);  // not recursive: inner.bin is not listed

    EXPECT_EQ(found[0].name, "data.bin");
    EXPECT_EQ(found[0].fullPath, folder_ / "data.bin");
    EXPECT_FALSE(found[0].isDirectory);
    EXPECT_EQ(found[0].size, 1234u);

    EXPECT_EQ(found[1].name, "empty.bin");
    EXPECT_FALSE(found[1].isDirectory);
    EXPECT_EQ(found[1].size, 0u);

    EXPECT_EQ(found[2].name, "folder.bin");
    EXPECT_EQ(found[2].fullPath, folder_ / "folder.bin");
    EXPECT_TRUE(found[2].isDirectory);
    EXPECT_EQ(found[2].size, 0u);
}

TEST_F(FindFilesTest, StarListsEverythingButTheDotEntries) {
    MakeFile("a", 1);
    MakeFile(".hidden", 1);
    fs::create_directory(folder_ / "sub");
    EXPECT_THAT(Names(FindFiles(folder_, "*")), ElementsAre(".hidden", "a", "sub"));
    EXPECT_THAT(Names(FindFiles(folder_, ".*")), ElementsAre(".hidden"));
}

TEST_F(FindFilesTest, NoMatchGivesEmptyList) {
    MakeFile("a.txt", 1);
    EXPECT_THAT(FindFiles(folder_, "*.bin"), IsEmpty());
    EXPECT_THAT(FindFiles(folder_, ""), IsEmpty());
}

TEST_F(FindFilesTest, EmptyFolderGivesEmptyList) {
    EXPECT_THAT(FindFiles(folder_, "*"), IsEmpty());
}

TEST_F(FindFilesTest, MissingFolderGivesEmptyList) {
    EXPECT_THAT(FindFiles(folder_ / "missing", "*"), IsEmpty());
}

TEST_F(FindFilesTest, FileInsteadOfFolderGivesEmptyList) {
    MakeFile("plain.bin", 1);
    EXPECT_THAT(FindFiles(folder_ / "plain.bin", "*"), IsEmpty());
}

TEST_F(FindFilesTest, UnreadableFolderGivesEmptyList) {
    const fs::path locked = folder_ / "locked";
    fs::create_directory(locked);
    std::ofstream(locked / "a.bin") << "x";
    fs::permissions(locked, fs::perms::none);
    std::error_code error;
    fs::directory_iterator probe(locked, error);
    const bool readable = !error;
    if (readable) {
        fs::permissions(locked, fs::perms::owner_all);
        GTEST_SKIP() << "permissions do not keep this user out of a folder here";
    }
    EXPECT_THAT(FindFiles(locked, "*"), IsEmpty());
    fs::permissions(locked, fs::perms::owner_all);
}

}  // namespace
}  // namespace vx9kr
