// Talks to the bot simulator over HTTP, to drive it (link, restart) and to read its state.
#pragma once

#include <string>

namespace e2e {

struct SimAnswer {
    bool ok = false;
    int status = 0;
    std::string body;
};

SimAnswer simRequest(int port, const std::string& method, const std::string& path, const std::string& body = "",
                     const std::string& authorization = "");

// The value of a string member of a flat JSON object, "" when absent.
std::string jsonMember(const std::string& json, const std::string& name);

}  // namespace e2e
