// Phone + text -> the Send body: always one JSON object with exactly `phone` then `text`, each reading back as
// given (as UTF-8), and plain text laid out exactly as the bot expects it.
#include <nlohmann/json.hpp>

#include "app/bot_http.h"
#include "fuzz_support.h"

using namespace tavrio;

namespace {

bool isPlain(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 || c == '"' || c == '\\') return false;
    return validUtf8(s) == s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t phoneLength = std::min<std::size_t>(data[0], size - 1);
    const std::string phone(reinterpret_cast<const char*>(data) + 1, phoneLength);
    const std::string text(reinterpret_cast<const char*>(data) + 1 + phoneLength, size - 1 - phoneLength);

    const std::string body = sendTextBody(phone, text);
    const nlohmann::ordered_json json = nlohmann::ordered_json::parse(body, nullptr, false);
    FUZZ_CHECK(!json.is_discarded() && json.is_object() && json.size() == 2);
    auto member = json.begin();
    FUZZ_CHECK(member.key() == "phone" && member->is_string() && member->get<std::string>() == validUtf8(phone));
    ++member;
    FUZZ_CHECK(member.key() == "text" && member->is_string() && member->get<std::string>() == validUtf8(text));
    if (isPlain(phone) && isPlain(text)) FUZZ_CHECK(body == "{\"phone\":\"" + phone + "\",\"text\":\"" + text + "\"}");
    return 0;
}
