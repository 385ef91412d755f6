#include "cli/PortMatch.h"

#include <algorithm>
#include <cctype>

namespace vx9kr::cli {
namespace {

// ASCII folding only: port names beyond ASCII are compared as they are.
bool BeginsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

}  // namespace

const midi::PortInfo* MatchPort(const std::vector<midi::PortInfo>& ports, std::string_view name) {
    if (name.empty())
        return nullptr;
    for (const midi::PortInfo& port : ports) {
        if (port.name == name)
            return &port;
    }
    for (const midi::PortInfo& port : ports) {
        if (BeginsWithIgnoringCase(port.name, name))
            return &port;
    }
    return nullptr;
}

std::string DescribePortNames(const std::vector<midi::PortInfo>& ports) {
    if (ports.empty())
        return "none";
    std::string text;
    for (const midi::PortInfo& port : ports) {
        if (!text.empty())
            text += ", ";
        text += "'" + port.name + "'";
    }
    return text;
}

}  // namespace vx9kr::cli
