#include "fileshare/http/HttpDate.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int monthIndex(const char* name)
{
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (std::strcmp(name, kMonths[i]) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

std::optional<std::time_t> toTime(int year, int month, int day, int hour, int minute, int second)
{
    if (month < 0 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 || year < 1970)
        return std::nullopt;
    std::tm fields {};
    fields.tm_year = year - 1900;
    fields.tm_mon = month;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return timegm(&fields);
}

} // namespace

std::string HttpDate::format(std::time_t time)
{
    std::tm utc {};
    gmtime_r(&time, &utc);
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT",
                  kDays[static_cast<std::size_t>(utc.tm_wday)], utc.tm_mday,
                  kMonths[static_cast<std::size_t>(utc.tm_mon)], utc.tm_year + 1900, utc.tm_hour, utc.tm_min,
                  utc.tm_sec);
    return text;
}

std::optional<std::time_t> HttpDate::parse(std::string_view text)
{
    if (text.size() > 64)
        return std::nullopt;
    const std::string copy(text);
    char month[4] = {};
    char zone[4] = {};
    int day = 0;
    int year = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int used = 0;

    // "Sun, 06 Nov 1994 08:49:37 GMT"
    const std::size_t comma = copy.find(',');
    if (comma == 3
        && std::sscanf(copy.c_str() + 4, " %2d %3s %4d %2d:%2d:%2d %3s%n", &day, month, &year, &hour, &minute, &second,
                       zone, &used)
            == 7
        && std::strcmp(zone, "GMT") == 0 && copy.c_str()[4 + used] == '\0')
        return toTime(year, monthIndex(month), day, hour, minute, second);
    // "Sunday, 06-Nov-94 08:49:37 GMT"
    if (comma != std::string::npos && comma > 3
        && std::sscanf(copy.c_str() + comma + 1, " %2d-%3s-%2d %2d:%2d:%2d %3s%n", &day, month, &year, &hour, &minute,
                       &second, zone, &used)
            == 7
        && std::strcmp(zone, "GMT") == 0 && copy.c_str()[comma + 1 + static_cast<std::size_t>(used)] == '\0')
        return toTime(year < 70 ? 2000 + year : 1900 + year, monthIndex(month), day, hour, minute, second);
    // "Sun Nov  6 08:49:37 1994"
    char weekday[4] = {};
    if (comma == std::string::npos
        && std::sscanf(copy.c_str(), "%3s %3s %2d %2d:%2d:%2d %4d%n", weekday, month, &day, &hour, &minute, &second,
                       &year, &used)
            == 7
        && copy.c_str()[used] == '\0')
        return toTime(year, monthIndex(month), day, hour, minute, second);
    return std::nullopt;
}

const char* HttpDate::monthName(int month)
{
    return kMonths[static_cast<std::size_t>(month) % kMonths.size()];
}
