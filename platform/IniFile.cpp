#include "platform/IniFile.h"

#include <climits>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

namespace vx9kr {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Only ASCII letters are folded: names in other encodings are compared byte for byte, as the
// platform does for the ANSI functions in most code pages.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file) {
    std::error_code error;
    // A folder opens as a stream on some systems; it is no ini file.
    if (!std::filesystem::is_regular_file(file, error)) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return text;
}

// One pair only, and only when both ends carry the same quote: `"a'` and `"` stay as they are.
std::string_view RemoveQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value.remove_prefix(1);
        value.remove_suffix(1);
    }
    return value;
}

std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.substr(0, kBom.size()) == kBom) {
        text.remove_prefix(kBom.size());
    }
    section = TrimBlanks(section);
    key = TrimBlanks(key);

    // Lines before the first header belong to a section without a name.
    bool inSection = section.empty();
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        line = TrimBlanks(line);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            const std::size_t close = line.rfind(']');
            if (close != std::string_view::npos) {
                if (inSection) {
                    // Only the first section of that name is searched.
                    return std::nullopt;
                }
                inSection = SameName(TrimBlanks(line.substr(1, close - 1)), section);
                continue;
            }
        }
        if (!inSection) {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        if (SameName(TrimBlanks(line.substr(0, equals)), key)) {
            return std::string(RemoveQuotes(TrimBlanks(line.substr(equals + 1))));
        }
    }
    return std::nullopt;
}

std::optional<std::string> Lookup(const std::filesystem::path& file, std::string_view section,
                                  std::string_view key) {
    const std::optional<std::string> text = ReadWholeFile(file);
    if (!text) {
        return std::nullopt;
    }
    return FindValue(*text, section, key);
}

}  // namespace

std::string ReadIniString(const std::filesystem::path& file, std::string_view section,
                          std::string_view key, std::string_view defaultValue) {
    try {
        if (std::optional<std::string> value = Lookup(file, section, key)) {
            return std::move(*value);
        }
        return std::string(defaultValue);
    } catch (...) {
        // Only memory exhaustion gets here; the caller asked for no exceptions.
        return {};
    }
}

int ReadIniInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
               int defaultValue) {
    try {
        const std::optional<std::string> value = Lookup(file, section, key);
        if (!value) {
            return defaultValue;
        }
        // Clamped rather than wrapped: a huge number in a file must not turn into a small or
        // negative one.
        long long number = 0;
        for (char c : *value) {
            if (c < '0' || c > '9') {
                break;
            }
            number = number * 10 + (c - '0');
            if (number >= INT_MAX) {
                return INT_MAX;
            }
        }
        return static_cast<int>(number);
    } catch (...) {
        return defaultValue;
    }
}

}  // namespace vx9kr
