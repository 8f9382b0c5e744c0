#pragma once

#include <QString>

class SettingsPageIO;

// The limits page: how many files one server may send at the same time,
// and how many downloads run at once over all servers.
class LimitsPage {
public:
    void show(SettingsPageIO& io);
    void store(SettingsPageIO& io) const;

    QString txtLimitHTTP, txtLimitFTP, txtLimitAll;
};
