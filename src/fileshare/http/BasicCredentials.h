#pragma once

#include <string>
#include <string_view>

// The user name of an "Authorization: Basic <base64 of user:password>" value.
class BasicCredentials {
public:
    // Empty for any other scheme or for a value that does not decode.
    static std::string userName(std::string_view authorization);
};
