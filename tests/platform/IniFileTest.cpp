#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "platform/IniFile.h"

namespace vx9kr {
namespace {

namespace fs = std::filesystem;

enum class FileKind { Text, Missing, Folder };

struct IniCase {
    const char* what;
    FileKind kind;
    std::string text;
    std::string section;
    std::string key;
    std::string expectedString;  // kDefault when the default must come back
    int expectedInt;             // kDefaultInt when the default must come back
};

// Keeps gtest from printing the case as raw bytes.
void PrintTo(const IniCase& c, std::ostream* out) {
    *out << c.what;
}

const std::string kDefault = "<default>";
constexpr int kDefaultInt = -7;

// Every case is read both as text and as a number, so each row checks both functions.
const std::vector<IniCase> kCases = {
    {"plain value", FileKind::Text, "[Setup]\nPath=abc\n", "Setup", "Path", "abc", 0},
    {"section name ignores case", FileKind::Text, "[SeTuP]\nPath=abc\n", "setup", "Path", "abc", 0},
    {"key name ignores case", FileKind::Text, "[Setup]\nPATH=abc\n", "Setup", "path", "abc", 0},
    {"blanks around key and value", FileKind::Text, "[Setup]\n  Path \t=\t  abc def  \t\n", "Setup",
     "Path", "abc def", 0},
    {"blanks around section header", FileKind::Text, "  [  Setup\t]  \nPath=abc\n", "Setup", "Path",
     "abc", 0},
    {"text after the header's bracket", FileKind::Text, "[Setup] ; tools\nPath=abc\n", "Setup",
     "Path", "abc", 0},
    {"header without closing bracket is none", FileKind::Text, "[Setup\nPath=abc\n", "Setup",
     "Path", kDefault, kDefaultInt},
    {"key with inner blanks", FileKind::Text, "[Setup]\nLoader Path = x\n", "Setup", "Loader Path",
     "x", 0},
    {"double quotes removed, blanks inside kept", FileKind::Text, "[Setup]\nPath = \"  abc  \"\n",
     "Setup", "Path", "  abc  ", 0},
    {"single quotes removed", FileKind::Text, "[Setup]\nPath='abc'\n", "Setup", "Path", "abc", 0},
    {"only one pair of quotes removed", FileKind::Text, "[Setup]\nPath=\"\"abc\"\"\n", "Setup",
     "Path", "\"abc\"", 0},
    {"mismatched quotes kept", FileKind::Text, "[Setup]\nPath=\"abc'\n", "Setup", "Path", "\"abc'",
     0},
    {"opening quote only kept", FileKind::Text, "[Setup]\nPath=\"abc\n", "Setup", "Path", "\"abc",
     0},
    {"lone quote kept", FileKind::Text, "[Setup]\nPath=\"\n", "Setup", "Path", "\"", 0},
    {"quotes inside kept", FileKind::Text, "[Setup]\nPath=a\"b\"c\n", "Setup", "Path", "a\"b\"c",
     0},
    {"empty quotes give empty", FileKind::Text, "[Setup]\nPath=\"\"\n", "Setup", "Path", "", 0},
    {"backslashes kept", FileKind::Text, "[Setup]\nPanel=Loader\\Panelflash.exe\n", "Setup",
     "Panel", "Loader\\Panelflash.exe", 0},
    {"trailing and doubled backslashes kept", FileKind::Text,
     "[Setup]\nData=\\\\server\\share\\LCD\\\n", "Setup", "Data", "\\\\server\\share\\LCD\\", 0},
    {"backslash before quote is no escape", FileKind::Text, "[Setup]\nPath=\"a\\\"\n", "Setup",
     "Path", "a\\", 0},
    {"empty value is not the default", FileKind::Text, "[Setup]\nPath=\n", "Setup", "Path", "", 0},
    {"blank value is empty", FileKind::Text, "[Setup]\nPath= \t \n", "Setup", "Path", "", 0},
    {"equals sign inside value", FileKind::Text, "[Setup]\nPath=a=b\n", "Setup", "Path", "a=b", 0},
    {"semicolon inside value kept", FileKind::Text, "[Setup]\nPath=a ; b\n", "Setup", "Path",
     "a ; b", 0},
    {"non-ASCII value kept byte for byte", FileKind::Text, "[Setup]\nName=\xC3\x84\xE6\x97\xA5\n",
     "Setup", "Name", "\xC3\x84\xE6\x97\xA5", 0},
    {"missing file", FileKind::Missing, "", "Setup", "Path", kDefault, kDefaultInt},
    {"folder instead of file", FileKind::Folder, "", "Setup", "Path", kDefault, kDefaultInt},
    {"empty file", FileKind::Text, "", "Setup", "Path", kDefault, kDefaultInt},
    {"missing section", FileKind::Text, "[Other]\nPath=abc\n", "Setup", "Path", kDefault,
     kDefaultInt},
    {"missing key", FileKind::Text, "[Setup]\nName=abc\n", "Setup", "Path", kDefault, kDefaultInt},
    {"key of a later section not taken", FileKind::Text, "[Setup]\nName=1\n[Other]\nPath=abc\n",
     "Setup", "Path", kDefault, kDefaultInt},
    {"key before any section not taken", FileKind::Text, "Path=abc\n[Setup]\nName=1\n", "Setup",
     "Path", kDefault, kDefaultInt},
    {"section name is no key prefix", FileKind::Text, "[Setup2]\nPath=abc\n", "Setup", "Path",
     kDefault, kDefaultInt},
    {"key name is no prefix", FileKind::Text, "[Setup]\nPathX=abc\nPat=abc\n", "Setup", "Path",
     kDefault, kDefaultInt},
    {"first key wins", FileKind::Text, "[Setup]\nPath=one\npath=two\n", "Setup", "Path", "one", 0},
    {"first section wins", FileKind::Text, "[Setup]\nPath=one\n[SETUP]\nPath=two\n", "Setup",
     "Path", "one", 0},
    {"only the first section is searched", FileKind::Text, "[Setup]\nName=1\n[Setup]\nPath=two\n",
     "Setup", "Path", kDefault, kDefaultInt},
    {"comment line skipped", FileKind::Text, "[Setup]\n;Path=commented\nPath=real\n", "Setup",
     "Path", "real", 0},
    {"indented comment line skipped", FileKind::Text, "[Setup]\n  ; Path=commented\n", "Setup",
     "Path", kDefault, kDefaultInt},
    {"commented header is no header", FileKind::Text, ";[Setup]\nPath=abc\n", "Setup", "Path",
     kDefault, kDefaultInt},
    {"lines without equals skipped", FileKind::Text, "[Setup]\nnonsense here\n\n  \nPath=abc\n",
     "Setup", "Path", "abc", 0},
    {"CRLF line ends", FileKind::Text, "[Setup]\r\nPath=abc\r\nNext=1\r\n", "Setup", "Path", "abc",
     0},
    {"CRLF after header and blanks", FileKind::Text, "[Setup] \r\nPath = abc \r\n", "Setup", "Path",
     "abc", 0},
    {"no line end at the end", FileKind::Text, "[Setup]\nPath=abc", "Setup", "Path", "abc", 0},
    {"UTF-8 BOM ignored", FileKind::Text, "\xEF\xBB\xBF[Setup]\nPath=abc\n", "Setup", "Path", "abc",
     0},
    {"BOM with CRLF", FileKind::Text, "\xEF\xBB\xBF[Setup]\r\nPath=abc\r\n", "Setup", "Path", "abc",
     0},
    {"integer", FileKind::Text, "[Setup]\nDetail=42\n", "Setup", "Detail", "42", 42},
    {"integer with blanks", FileKind::Text, "[Setup]\nDetail =  42 \t\n", "Setup", "Detail", "42",
     42},
    {"integer with CRLF", FileKind::Text, "[Setup]\r\nDetail=12\r\n", "Setup", "Detail", "12", 12},
    {"integer with trailing text", FileKind::Text, "[Setup]\nDetail=42abc\n", "Setup", "Detail",
     "42abc", 42},
    {"integer stops at a blank", FileKind::Text, "[Setup]\nDetail=4 2\n", "Setup", "Detail", "4 2",
     4},
    {"integer with leading zeros", FileKind::Text, "[Setup]\nDetail=007\n", "Setup", "Detail",
     "007", 7},
    {"integer in quotes", FileKind::Text, "[Setup]\nDetail=\"17\"\n", "Setup", "Detail", "17", 17},
    {"no digits", FileKind::Text, "[Setup]\nDetail=abc\n", "Setup", "Detail", "abc", 0},
    {"a sign is no digit", FileKind::Text, "[Setup]\nDetail=-5\n", "Setup", "Detail", "-5", 0},
    {"plus sign is no digit", FileKind::Text, "[Setup]\nDetail=+5\n", "Setup", "Detail", "+5", 0},
    {"hexadecimal is not read", FileKind::Text, "[Setup]\nDetail=0x1F\n", "Setup", "Detail", "0x1F",
     0},
    {"largest int", FileKind::Text, "[Setup]\nDetail=2147483647\n", "Setup", "Detail", "2147483647",
     INT_MAX},
    {"one beyond the largest int is clamped", FileKind::Text, "[Setup]\nDetail=2147483648\n",
     "Setup", "Detail", "2147483648", INT_MAX},
    {"far beyond the largest int is clamped", FileKind::Text,
     "[Setup]\nDetail=99999999999999999999999999x\n", "Setup", "Detail",
     "99999999999999999999999999x", INT_MAX},
    {"would wrap to a small number if not clamped", FileKind::Text, "[Setup]\nDetail=4294967297\n",
     "Setup", "Detail", "4294967297", INT_MAX},
};

class IniFileTest : public ::testing::TestWithParam<IniCase> {
  protected:
    static void SetUpTestSuite() {
        std::mt19937_64 random(std::random_device{}() ^
                               static_cast<std::uint64_t>(
                                   std::chrono::steady_clock::now().time_since_epoch().count()));
        for (;;) {
            folder_ = fs::temp_directory_path() / ("vx9kr-ini-" + std::to_string(random()));
            if (fs::create_directory(folder_)) {
                break;
            }
        }
    }
    static void TearDownTestSuite() {
        std::error_code error;
        fs::remove_all(folder_, error);
    }

    static fs::path folder_;
    static int counter_;
};

fs::path IniFileTest::folder_;
int IniFileTest::counter_ = 0;

TEST_P(IniFileTest, ReadsAsTheProfileFunctionsDo) {
    const IniCase& c = GetParam();
    const fs::path file = folder_ / ("case-" + std::to_string(counter_++) + ".ini");
    if (c.kind == FileKind::Text) {
        std::ofstream out(file, std::ios::binary);
        out << c.text;
        ASSERT_TRUE(out.good());
    } else if (c.kind == FileKind::Folder) {
        ASSERT_TRUE(fs::create_directory(file));
    }

    EXPECT_EQ(ReadIniString(file, c.section, c.key, kDefault), c.expectedString) << c.what;
    EXPECT_EQ(ReadIniInt(file, c.section, c.key, kDefaultInt), c.expectedInt) << c.what;
}

// Named after the case, so that a failure in ctest's list says which rule broke.
std::string CaseName(const ::testing::TestParamInfo<IniCase>& info) {
    std::string name = std::to_string(info.index) + "_";
    for (const char* p = info.param.what; *p != '\0'; ++p) {
        const bool alnum =
            (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9');
        name += alnum ? *p : '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, IniFileTest, ::testing::ValuesIn(kCases), CaseName);

}  // namespace
}  // namespace vx9kr
