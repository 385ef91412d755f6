#pragma once

#include <cstdio>
#include <string>

namespace vx9kr {

// printf-style formatting into a string, for the kit's report texts, which are printf formats.
template <typename... Args>
std::string Format(const char* format, Args... args) {
    const int length = std::snprintf(nullptr, 0, format, args...);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

}  // namespace vx9kr
