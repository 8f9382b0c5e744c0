#pragma once

#include <QString>

class SettingsPageIO;

// The proxy page: FTP passive mode, the HTTP proxy and its log-in.
class ProxyPage {
public:
    void show(SettingsPageIO& io);
    void store(SettingsPageIO& io) const;

    // The check boxes' clicks, with the enabling each one drives.
    void setUseProxy(bool checked); // the proxy frame and everything in it
    void setLogProx(bool checked);  // the user name and password
    void setPass(bool checked);     // the password box
    void setLoginReq(bool checked); // the login frame; not stored

    bool chkFtpPASV = false, chkUseProxy = false, chkFTPProxy = false, chkLogProx = false, chkPass = false;
    QString txtProxyServer, txtProxyPort, txtUserID, txtPass;
    bool chkLoginReq = false;

    // frameProxy, txtProxyServer, txtProxyPort, chkFTPProxy and chkLogProx.
    bool proxyEnabled = true;
    // txtUserID and chkPass.
    bool loginEnabled = true;
    bool txtPassEnabled = true;
    bool frameLoginRequiredEnabled = true;
};
