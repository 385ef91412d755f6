#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace vx9kr::test {

// A folder of its own under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("vx9kr-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string Text() const { return path_.string(); }

    std::filesystem::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::filesystem::path file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return file;
    }

  private:
    std::filesystem::path path_;
};

}  // namespace vx9kr::test
