#pragma once

#include <QString>

class SettingsPageIO;

// The proxy page: FTP passive mode, the HTTP proxy and its log-in.
class ProxyPage {
public:
    void show(SettingsPageIO& io);
    void store(SettingsPageIO& io) const;

    bool chkFtpPASV = false, chkUseProxy = false, chkFTPProxy = false, chkLogProx = false, chkPass = false;
    QString txtProxyServer, txtProxyPort, txtUserID, txtPass;
};
