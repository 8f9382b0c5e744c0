#include "fileshare/http/AccessLogLine.h"

#include "fileshare/http/HttpDate.h"
#include "fileshare/http/HttpText.h"

#include <cstdio>

std::string AccessLogLine::format(std::time_t now) const
{
    std::tm local {};
    localtime_r(&now, &local);
    return format(local, -local.tm_gmtoff / 60);
}

std::string AccessLogLine::format(const std::tm& local, long biasMinutes) const
{
    char address[20];
    std::snprintf(address, sizeof address, "%u.%u.%u.%u", clientAddress >> 24, (clientAddress >> 16) & 0xFF,
                  (clientAddress >> 8) & 0xFF, clientAddress & 0xFF);
    char when[64];
    std::snprintf(when, sizeof when, "[%02d/%s/%04d:%02d:%02d:%02d %04ld]", local.tm_mday,
                  HttpDate::monthName(local.tm_mon), local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec,
                  biasMinutes);
    std::string line = address;
    line += " - ";
    line += userName.empty() ? std::string("-") : HttpText::escapeForLog(userName);
    line += ' ';
    line += when;
    line += " \"";
    line += HttpText::escapeForLog(requestLine);
    line += "\" ";
    line += std::to_string(status);
    line += ' ';
    line += std::to_string(bodyBytes);
    return line;
}
