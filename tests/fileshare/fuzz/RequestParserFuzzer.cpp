// libFuzzer target: whatever bytes arrive, reading a request head and
// decoding its path must neither crash nor read out of bounds, and a decoded
// path never holds what the server refuses.
#include "fileshare/http/ByteRange.h"
#include "fileshare/http/HttpRequestParser.h"
#include "fileshare/http/UrlPath.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const HttpRequestParser::Result result = HttpRequestParser::parse(input);
    if (result.status != HttpRequestParser::Status::Complete)
        return 0;
    if (result.consumed > size)
        std::abort();
    const ClientRequest& request = result.request;
    if (request.range) {
        if (const auto span = request.range->resolve(1000); span && (span->first > span->last || span->last >= 1000))
            std::abort();
    }
    const UrlPath::Result path = UrlPath::decode(request.target);
    const auto badShape = [](const std::string& decoded) {
        return decoded.empty() || decoded.front() != '/' || decoded.find('\\') != std::string::npos
            || decoded.find('\0') != std::string::npos || decoded.find("/../") != std::string::npos;
    };
    const bool blankPathBad = !path.blankPath.empty() && badShape(path.blankPath);
    if (path.verdict == UrlPath::Verdict::Ok && (badShape(path.path) || blankPathBad))
        std::abort();
    return 0;
}
