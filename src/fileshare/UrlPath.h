#pragma once

#include <string>
#include <string_view>

// Turns a request target into the decoded path that is looked up beneath the
// published folders. Plain C++, so the fuzzer can take it alone.
//
// The target is percent-decoded exactly once. A path that could be read in
// two ways, or that could step out of a folder, is refused: bad escapes, an
// encoded "/", backslashes, NUL and other control characters are malformed;
// a ".." segment is not found. Blanks written "-_-" (as the listings write
// them) become blanks again.
class UrlPath {
public:
    enum class Verdict { Ok, Malformed, Refused };
    struct Result {
        Verdict verdict = Verdict::Malformed;
        // Starts with "/"; query and fragment removed.
        std::string path;
    };

    static Result decode(std::string_view target);
};
