#include "platform/Paths.h"

#include <system_error>

namespace vx9kr {
namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::size_t FileNameStart(std::string_view path) {
    const std::size_t last = path.find_last_of("/\\");
    return last == std::string_view::npos ? 0 : last + 1;
}

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool Exists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

std::filesystem::path Absolute(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path result = std::filesystem::absolute(path, error);
    return error ? path : result;
}

}  // namespace

std::filesystem::path PathFromText(std::string_view text) {
    try {
        std::u8string generic(text.size(), u8'/');
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (!IsSeparator(text[i])) {
                generic[i] = static_cast<char8_t>(text[i]);
            }
        }
        // From char8_t so that Windows reads the text as UTF-8, not in the ANSI code page.
        std::filesystem::path path(generic);
        path.make_preferred();
        return path;
    } catch (...) {
        // Text that is no valid UTF-8 where the platform insists on it names no path.
        return {};
    }
}

std::filesystem::path MakeAbsolute(std::string_view text,
                                   const std::filesystem::path& programFolder) {
    try {
        if (text.empty()) {
            return {};
        }
        const std::filesystem::path given = PathFromText(text);
        // Normalised before the checks, so that "a\..\b" means what it says even through links.
        const std::filesystem::path fromCurrent = Absolute(given).lexically_normal();
        if (!Exists(fromCurrent)) {
            const std::filesystem::path besideProgram =
                Absolute(programFolder / given).lexically_normal();
            if (IsFile(besideProgram)) {
                return besideProgram;
            }
        }
        return fromCurrent;
    } catch (...) {
        return {};
    }
}

std::string FileNamePart(std::string_view path) {
    return std::string(path.substr(FileNameStart(path)));
}

std::string RemoveExtension(std::string_view path) {
    const std::size_t nameStart = FileNameStart(path);
    const std::string_view name = path.substr(nameStart);
    if (name == "." || name == "..") {
        return std::string(path);
    }
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) {
        return std::string(path);
    }
    return std::string(path.substr(0, nameStart + dot));
}

std::string AddTrailingSeparator(std::string_view path) {
    std::string result(path);
    if (!result.empty() && !IsSeparator(result.back())) {
        result.push_back(static_cast<char>(std::filesystem::path::preferred_separator));
    }
    return result;
}

std::string RemoveTrailingSeparator(std::string_view path) {
    if (!EndsWithSeparator(path)) {
        return std::string(path);
    }
    const bool isRoot =
        path.size() == 1 || (path.size() == 3 && IsAsciiLetter(path[0]) && path[1] == ':');
    if (isRoot) {
        return std::string(path);
    }
    return std::string(path.substr(0, path.size() - 1));
}

bool EndsWithSeparator(std::string_view path) {
    return !path.empty() && IsSeparator(path.back());
}

std::string PathToText(const std::filesystem::path& path) {
    try {
        const std::u8string text = path.u8string();
        return std::string(text.begin(), text.end());
    } catch (...) {
        return {};
    }
}

}  // namespace vx9kr
