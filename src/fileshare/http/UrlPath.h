#pragma once

#include <string>
#include <string_view>

// Turns a request target into the decoded path that is looked up beneath the
// published folders. Plain C++, so the fuzzer can take it alone.
//
// The target is percent-decoded exactly once. A path that could be read in
// two ways, or that could step out of a folder, is refused: bad escapes, an
// encoded "/", backslashes, NUL and other control characters are malformed;
// a ".." segment is not found. Links of earlier listings wrote blanks as
// "-_-": the result also gives the path read that way, for names that are
// not found as they stand.
class UrlPath {
public:
    enum class Verdict { Ok, Malformed, Refused };
    struct Result {
        Verdict verdict = Verdict::Malformed;
        // Starts with "/"; query and fragment removed.
        std::string path;
        // The path with every "-_-" read as a blank, the way links of earlier
        // listings wrote blanks; empty when the path holds no "-_-".
        std::string blankPath;
    };

    static Result decode(std::string_view target);
};
