#include "platform/midi/PortName.h"

#include <cctype>

namespace vx9kr::midi {

namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool AllDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text) {
        if (!IsDigit(c))
            return false;
    }
    return true;
}

// "Name 128:0" -> "Name": ALSA's client and port numbers.
std::string_view WithoutAlsaAddress(std::string_view name) {
    const std::size_t blank = name.rfind(' ');
    if (blank == std::string_view::npos)
        return name;
    const std::string_view address = name.substr(blank + 1);
    const std::size_t colon = address.find(':');
    if (colon == std::string_view::npos)
        return name;
    if (!AllDigits(address.substr(0, colon)) || !AllDigits(address.substr(colon + 1)))
        return name;
    return name.substr(0, blank);
}

}  // namespace

std::string StablePortName(std::string_view listedName) {
    const std::string_view name = WithoutAlsaAddress(listedName);
    // "client-01:port" -> "client:port": JACK's number for a second client of the same name.
    const std::size_t colon = name.find(':');
    if (colon != std::string_view::npos && colon >= 3) {
        const std::string_view client = name.substr(0, colon);
        const std::size_t dash = client.rfind('-');
        if (dash != std::string_view::npos && client.size() - dash == 3 &&
            AllDigits(client.substr(dash + 1))) {
            return std::string(client.substr(0, dash)) + std::string(name.substr(colon));
        }
    }
    return std::string(name);
}

}  // namespace vx9kr::midi
