#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/Paths.h"

namespace vx9kr {
namespace {

namespace fs = std::filesystem;

const std::string kSep(1, static_cast<char>(fs::path::preferred_separator));

struct TextCase {
    std::string input;
    std::string expected;
};

TEST(PathFromTextTest, BackslashesAndSlashesBothSeparate) {
    EXPECT_EQ(PathFromText("Loader\\Panelflash.exe"), fs::path("Loader") / "Panelflash.exe");
    EXPECT_EQ(PathFromText("Data/Main\\fw.bin"), fs::path("Data") / "Main" / "fw.bin");
    EXPECT_EQ(PathFromText(".\\Data\\LCD\\").generic_string(), "./Data/LCD/");
    EXPECT_EQ(PathFromText("\\\\server\\share"), fs::path("//server/share").make_preferred());
    EXPECT_EQ(PathFromText("Loader\\Panelflash.exe").filename(), fs::path("Panelflash.exe"));
    EXPECT_EQ(PathFromText("").native(), fs::path().native());
}

TEST(PathFromTextTest, UsesThePlatformSeparator) {
    const fs::path path = PathFromText("a\\b/c");
    EXPECT_EQ(path.native(), (fs::path("a") / "b" / "c").native());
}

TEST(PathFromTextTest, KeepsUtf8Names) {
    const std::string text = "D\xC3\xA4ten\\\xE6\x97\xA5.bin";  // "Däten\日.bin"
    const fs::path path = PathFromText(text);
    EXPECT_EQ(path, fs::path(u8"D\u00E4ten") / fs::path(u8"\u65E5.bin"));
    EXPECT_EQ(PathToText(path), "D\xC3\xA4ten" + kSep + "\xE6\x97\xA5.bin");
}

TEST(PathsTextTest, FileNamePart) {
    const std::vector<TextCase> cases = {
        {"C:\\dir\\file.txt", "file.txt"},
        {"dir/file", "file"},
        {"a/b\\c", "c"},
        {"a\\b/c", "c"},
        {"plain", "plain"},
        {"dir\\", ""},
        {"dir/", ""},
        {"", ""},
        {"C:\\", ""},
        {"Loader\\Panel flash.exe", "Panel flash.exe"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(FileNamePart(c.input), c.expected) << c.input;
    }
}

TEST(PathsTextTest, RemoveExtension) {
    const std::vector<TextCase> cases = {
        {"file.txt", "file"},
        {"Loader\\Panelflash.exe", "Loader\\Panelflash"},
        {"dir/f.tar.gz", "dir/f.tar"},
        {"a.b\\c", "a.b\\c"},
        {"a.b/c", "a.b/c"},
        {"a.b\\c.d", "a.b\\c"},
        {"C:\\Data.v2\\LCD", "C:\\Data.v2\\LCD"},
        {"file.", "file"},
        {".profile", ".profile"},
        {"dir\\.profile", "dir\\.profile"},
        {"dir/.profile.bak", "dir/.profile"},
        {".", "."},
        {"..", ".."},
        {"dir\\..", "dir\\.."},
        {"dir\\", "dir\\"},
        {"plain", "plain"},
        {"", ""},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(RemoveExtension(c.input), c.expected) << c.input;
    }
}

TEST(PathsTextTest, AddTrailingSeparator) {
    const std::vector<TextCase> cases = {
        {"", ""},
        {"dir", "dir" + kSep},
        {"dir/", "dir/"},
        {"dir\\", "dir\\"},
        {"C:", "C:" + kSep},
        {"/", "/"},
        {"a\\b", "a\\b" + kSep},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(AddTrailingSeparator(c.input), c.expected) << c.input;
    }
}

TEST(PathsTextTest, RemoveTrailingSeparator) {
    const std::vector<TextCase> cases = {
        {"dir\\", "dir"},
        {"dir/", "dir"},
        {"dir\\\\", "dir\\"},
        {"C:\\dir\\", "C:\\dir"},
        {"/usr/", "/usr"},
        {"dir", "dir"},
        {"", ""},
        {"/", "/"},
        {"\\", "\\"},
        {"C:\\", "C:\\"},
        {"c:/", "c:/"},
        {"1:\\", "1:"},
        {"C:", "C:"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(RemoveTrailingSeparator(c.input), c.expected) << c.input;
    }
}

TEST(PathsTextTest, EndsWithSeparator) {
    EXPECT_TRUE(EndsWithSeparator("dir\\"));
    EXPECT_TRUE(EndsWithSeparator("dir/"));
    EXPECT_TRUE(EndsWithSeparator("/"));
    EXPECT_FALSE(EndsWithSeparator("dir"));
    EXPECT_FALSE(EndsWithSeparator(""));
    EXPECT_FALSE(EndsWithSeparator("dir\\x"));
}

// Works in a folder of its own: `work` is made the current folder, `program` stands for the
// folder the program file is in.
class MakeAbsoluteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::mt19937_64 random(std::random_device{}() ^
                               static_cast<std::uint64_t>(
                                   std::chrono::steady_clock::now().time_since_epoch().count()));
        do {
            root_ = fs::temp_directory_path() / ("vx9kr-paths-" + std::to_string(random()));
        } while (!fs::create_directory(root_));
        // Without symbolic links in it, so that results compare with what the test builds.
        root_ = fs::canonical(root_);
        work_ = root_ / "work";
        program_ = root_ / "program";
        fs::create_directories(work_);
        fs::create_directories(program_);
        previous_ = fs::current_path();
        fs::current_path(work_);
    }
    void TearDown() override {
        std::error_code error;
        fs::current_path(previous_, error);
        fs::remove_all(root_, error);
    }

    static void MakeFile(const fs::path& path) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "x";
        ASSERT_TRUE(fs::is_regular_file(path)) << path;
    }

    fs::path root_, work_, program_, previous_;
};

TEST_F(MakeAbsoluteTest, RelativeToTheCurrentFolder) {
    MakeFile(work_ / "Loader" / "Panelflash.exe");
    EXPECT_EQ(MakeAbsolute("Loader\\Panelflash.exe", program_),
              work_ / "Loader" / "Panelflash.exe");
}

TEST_F(MakeAbsoluteTest, CurrentFolderWinsOverProgramFolder) {
    MakeFile(work_ / "Loader" / "Panelflash.exe");
    MakeFile(program_ / "Loader" / "Panelflash.exe");
    EXPECT_EQ(MakeAbsolute("Loader\\Panelflash.exe", program_),
              work_ / "Loader" / "Panelflash.exe");
}

TEST_F(MakeAbsoluteTest, FallsBackToAFileBesideTheProgram) {
    MakeFile(program_ / "Loader" / "Panelflash.exe");
    EXPECT_EQ(MakeAbsolute("Loader\\Panelflash.exe", program_),
              program_ / "Loader" / "Panelflash.exe");
}

TEST_F(MakeAbsoluteTest, AFolderBesideTheProgramIsNoFallback) {
    fs::create_directories(program_ / "Data" / "LCD");
    EXPECT_EQ(MakeAbsolute("Data\\LCD", program_), work_ / "Data" / "LCD");
}

TEST_F(MakeAbsoluteTest, MissingEverywhereGivesThePathInTheCurrentFolder) {
    EXPECT_EQ(MakeAbsolute("Loader\\Missing.exe", program_), work_ / "Loader" / "Missing.exe");
}

TEST_F(MakeAbsoluteTest, ExistingFolderInTheCurrentFolderIsKept) {
    fs::create_directories(work_ / "Loader");
    MakeFile(program_ / "Loader");
    EXPECT_EQ(MakeAbsolute("Loader", program_), work_ / "Loader");
}

TEST_F(MakeAbsoluteTest, NormalisesLexically) {
    MakeFile(program_ / "Loader" / "Panelflash.exe");
    // "nowhere" exists in neither folder: the dots are resolved on the text alone.
    EXPECT_EQ(MakeAbsolute("nowhere\\..\\Loader\\.\\Panelflash.exe", program_),
              program_ / "Loader" / "Panelflash.exe");
    EXPECT_EQ(MakeAbsolute(".\\a\\b\\..\\c", program_), work_ / "a" / "c");
}

TEST_F(MakeAbsoluteTest, AbsoluteTextStaysWhereItPoints) {
    MakeFile(program_ / "fw.bin");
    const std::string text = PathToText(root_ / "elsewhere" / "fw.bin");
    EXPECT_EQ(MakeAbsolute(text, program_), root_ / "elsewhere" / "fw.bin");
}

TEST_F(MakeAbsoluteTest, NoCutAtTwoHundredSixtyCharacters) {
    std::string text;
    fs::path expected = program_;
    for (int i = 0; i < 6; ++i) {
        const std::string part = "folder" + std::to_string(i) + std::string(60, 'x');
        text += part + "\\";
        expected /= part;
    }
    text += "Panelflash.exe";
    expected /= "Panelflash.exe";
    ASSERT_GT(text.size(), 260u);
    MakeFile(expected);

    const fs::path result = MakeAbsolute(text, program_);
    EXPECT_EQ(result, expected);
    EXPECT_GT(PathToText(result).size(), 260u + PathToText(program_).size());
}

TEST_F(MakeAbsoluteTest, EmptyTextGivesEmptyPath) {
    EXPECT_TRUE(MakeAbsolute("", program_).empty());
}

}  // namespace
}  // namespace vx9kr
