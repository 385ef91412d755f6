#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class QSettings;

namespace vx9kr {

// The programs' saved settings: group "Setup" under organization "VELDRA VX9KR" and the given
// application name, in the user's native store (the registry on Windows, an ini-style file under
// the XDG config folder on Linux). All three programs use it, so what one writes the others read.
// Text is UTF-8 both ways.
class SettingsStore {
  public:
    // `application` is the program file's base name, which names the store.
    explicit SettingsStore(const std::string& application);
    ~SettingsStore();

    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    std::string ReadString(std::string_view key, std::string_view defaultValue) const;
    // `defaultValue` also when the stored value is text that is not a whole int.
    int ReadInt(std::string_view key, int defaultValue) const;
    void WriteString(std::string_view key, std::string_view value);
    // Stored as a number, not as text, where the store keeps types (a DWORD in the registry).
    void WriteInt(std::string_view key, std::int32_t value);
    void Remove(std::string_view key);
    bool Contains(std::string_view key) const;
    // Writes pending changes to storage; the destructor does it too.
    void Sync();

  private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace vx9kr
