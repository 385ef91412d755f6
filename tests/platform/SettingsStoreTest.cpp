#include <gtest/gtest.h>

#include <QSettings>
#include <QString>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#include "platform/SettingsStore.h"

namespace vx9kr {
namespace {

namespace fs = std::filesystem;

// The user's own settings must never be touched: every store here lives under a temporary
// XDG_CONFIG_HOME, set before the first QSettings of the process since Qt reads it only once. On
// Windows the native store is the registry, so each test also uses an application name of its own
// and clears it afterwards.
class SettingsStoreTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        do {
            configHome_ =
                fs::temp_directory_path() / ("vx9kr-settings-" + std::to_string(Random()));
        } while (!fs::create_directory(configHome_));
#ifdef _WIN32
        _putenv_s("XDG_CONFIG_HOME", configHome_.string().c_str());
#else
        setenv("XDG_CONFIG_HOME", configHome_.c_str(), 1);
#endif
    }
    static void TearDownTestSuite() {
        std::error_code error;
        fs::remove_all(configHome_, error);
    }

    void SetUp() override {
        application_ = "vx9kr-settings-test-" + std::to_string(Random());
    }
    void TearDown() override {
        for (const std::string& application : {application_, application_ + "-other"}) {
            QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("VELDRA VX9KR"),
                      QString::fromStdString(application))
                .clear();
        }
    }

    static std::uint64_t Random() {
        static std::mt19937_64 random(
            std::random_device{}() ^
            static_cast<std::uint64_t>(
                std::chrono::steady_clock::now().time_since_epoch().count()));
        return random();
    }

    // Where the native format keeps this application's settings on Linux.
    fs::path StoreFile() const {
        return configHome_ / "VELDRA VX9KR" / (application_ + ".conf");
    }

    static std::string ReadFile(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static fs::path configHome_;
    std::string application_;
};

fs::path SettingsStoreTest::configHome_;

TEST_F(SettingsStoreTest, StringsRoundTrip) {
    const std::string path = "C:\\VX9KR\\Loader\\Panelflash.exe";
    const std::string name = "\xC3\x84\xC3\x96\xC3\x9C \xE6\x97\xA5\xE6\x9C\xAC \xEF\xBC\x9F";
    {
        SettingsStore store(application_);
        store.WriteString("Path", path);
        store.WriteString("Name", name);
        store.WriteString("Empty", "");
        store.WriteString("Blanks", "  lead and trail  ");
        store.WriteString("Comma", "a, b");
        store.WriteString("Quotes", "say \"hi\"; x=1 #");
        store.Sync();
    }
    const SettingsStore store(application_);
    EXPECT_EQ(store.ReadString("Path", "default"), path);
    EXPECT_EQ(store.ReadString("Name", "default"), name);
    EXPECT_TRUE(store.Contains("Empty"));
    EXPECT_EQ(store.ReadString("Empty", "default"), "");
    EXPECT_EQ(store.ReadString("Blanks", "default"), "  lead and trail  ");
    EXPECT_EQ(store.ReadString("Comma", "default"), "a, b");
    EXPECT_EQ(store.ReadString("Quotes", "default"), "say \"hi\"; x=1 #");
}

TEST_F(SettingsStoreTest, IntegersRoundTrip) {
    {
        SettingsStore store(application_);
        store.WriteInt("Detail", 1);
        store.WriteInt("Neg", -5);
        store.WriteInt("Max", std::numeric_limits<std::int32_t>::max());
        store.WriteInt("Min", std::numeric_limits<std::int32_t>::min());
        store.WriteInt("Zero", 0);
    }
    const SettingsStore store(application_);
    EXPECT_EQ(store.ReadInt("Detail", 99), 1);
    EXPECT_EQ(store.ReadInt("Neg", 99), -5);
    EXPECT_EQ(store.ReadInt("Max", 99), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(store.ReadInt("Min", 99), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(store.ReadInt("Zero", 99), 0);
    EXPECT_EQ(store.ReadString("Detail", "default"), "1");
}

TEST_F(SettingsStoreTest, MissingKeysGiveDefaults) {
    const SettingsStore store(application_);
    EXPECT_FALSE(store.Contains("Path"));
    EXPECT_EQ(store.ReadString("Path", "Loader\\Panelflash.exe"), "Loader\\Panelflash.exe");
    EXPECT_EQ(store.ReadInt("Detail", 42), 42);
    EXPECT_EQ(store.ReadInt("Detail", -3), -3);
}

TEST_F(SettingsStoreTest, TextThatIsNoIntegerGivesTheDefault) {
    SettingsStore store(application_);
    store.WriteString("Text", "abc");
    store.WriteString("Mixed", "12abc");
    store.WriteString("Huge", "99999999999");
    store.WriteString("Number", "17");
    store.WriteString("Empty", "");
    store.Sync();
    const SettingsStore again(application_);
    EXPECT_EQ(again.ReadInt("Text", 7), 7);
    EXPECT_EQ(again.ReadInt("Mixed", 7), 7);
    EXPECT_EQ(again.ReadInt("Huge", 7), 7);
    EXPECT_EQ(again.ReadInt("Empty", 7), 7);
    EXPECT_EQ(again.ReadInt("Number", 7), 17);
}

TEST_F(SettingsStoreTest, LaterWritesReplaceEarlierOnes) {
    SettingsStore store(application_);
    store.WriteString("Path", "first");
    store.WriteString("Path", "second");
    store.WriteInt("Detail", 1);
    store.WriteInt("Detail", 0);
    store.Sync();
    const SettingsStore again(application_);
    EXPECT_EQ(again.ReadString("Path", "default"), "second");
    EXPECT_EQ(again.ReadInt("Detail", 99), 0);
}

TEST_F(SettingsStoreTest, RemoveDeletesTheKey) {
    {
        SettingsStore store(application_);
        store.WriteString("Gone", "value");
        store.WriteInt("Detail", 1);
        store.Sync();
        store.Remove("Gone");
        EXPECT_FALSE(store.Contains("Gone"));
        EXPECT_TRUE(store.Contains("Detail"));
        store.Sync();
    }
    const SettingsStore store(application_);
    EXPECT_FALSE(store.Contains("Gone"));
    EXPECT_EQ(store.ReadString("Gone", "default"), "default");
    EXPECT_EQ(store.ReadInt("Detail", 99), 1);
}

TEST_F(SettingsStoreTest, ApplicationsHaveSeparateStores) {
    const std::string other = application_ + "-other";
    {
        SettingsStore store(application_);
        store.WriteString("Path", "mine");
        store.Sync();
    }
    const SettingsStore otherStore(other);
    EXPECT_FALSE(otherStore.Contains("Path"));
    EXPECT_EQ(otherStore.ReadString("Path", "default"), "default");
}

#if defined(__linux__)
// Read from the file itself: a second QSettings in the same process may be served from Qt's cache.
TEST_F(SettingsStoreTest, DestructorWritesToTheFileUnderTheConfigFolder) {
    {
        SettingsStore store(application_);
        store.WriteInt("Detail", 1);
        store.WriteString("Path", "abc");
    }
    ASSERT_TRUE(fs::is_regular_file(StoreFile())) << StoreFile();
    const std::string text = ReadFile(StoreFile());
    EXPECT_NE(text.find("[Setup]"), std::string::npos) << text;
    EXPECT_NE(text.find("Detail=1"), std::string::npos) << text;
    EXPECT_NE(text.find("Path=abc"), std::string::npos) << text;
}

TEST_F(SettingsStoreTest, SyncWritesToTheFileWhileTheStoreLives) {
    SettingsStore store(application_);
    store.WriteString("Name", "now");
    store.Sync();
    EXPECT_NE(ReadFile(StoreFile()).find("Name=now"), std::string::npos);
    store.Remove("Name");
    store.Sync();
    EXPECT_EQ(ReadFile(StoreFile()).find("Name="), std::string::npos);
}
#endif

}  // namespace
}  // namespace vx9kr
