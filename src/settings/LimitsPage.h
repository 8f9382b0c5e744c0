#pragma once

#include <QString>

class SettingsPageIO;

// The limits page: how many files one server may send at the same time.
class LimitsPage {
public:
    void show(SettingsPageIO& io);
    void store(SettingsPageIO& io) const;

    QString txtLimitHTTP, txtLimitFTP;
};
