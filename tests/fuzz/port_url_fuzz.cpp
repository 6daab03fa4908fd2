// Port text -> address: either http://localhost:<1..65535><page> or refused; the port is the text's own digits.
#include "app/bot_http.h"
#include "fuzz_support.h"

using namespace tavrio;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string page = data[0] % 2 ? "/phone" : "/send-text";
    const std::string portText(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::optional<std::string> url = localBotUrl(portText, page);

    const std::size_t first = portText.find_first_not_of(' '), last = portText.find_last_not_of(' ');
    const std::string digits = first == std::string::npos ? "" : portText.substr(first, last - first + 1);
    const bool allDigits =
        !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos && digits.size() <= 5;
    const bool inRange = allDigits && std::stoul(digits) >= 1 && std::stoul(digits) <= 65535;
    FUZZ_CHECK(url.has_value() == inRange);
    if (url) FUZZ_CHECK(*url == "http://localhost:" + digits + page);
    return 0;
}
