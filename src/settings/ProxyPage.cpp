#include "settings/ProxyPage.h"

#include "settings/SettingsPageIO.h"

void ProxyPage::show(SettingsPageIO& io)
{
    const AppSettings& s = io.settings;
    io.read("UsePASV");
    chkFtpPASV = s.UsePASV;
    io.read("UseProxy");
    chkUseProxy = s.UseProxy;
    txtProxyServer = io.read("ProxyServer");
    txtProxyPort = io.read("ProxyPort");
    io.read("UseFTPProxy");
    chkFTPProxy = s.UseFTPProxy;
    txtUserID = io.read("UserID");
    txtPass = io.read("UserPass");
    io.read("LoginProxy");
    chkLogProx = s.LoginProxy;
    io.read("UsePass");
    chkPass = s.UsePass;
    // Filling the boxes runs their click rules, in this order.
    setUseProxy(chkUseProxy);
    setLogProx(chkLogProx);
    setPass(chkPass);
}

void ProxyPage::setUseProxy(bool checked)
{
    chkUseProxy = checked;
    proxyEnabled = loginEnabled = txtPassEnabled = checked;
}

void ProxyPage::setLogProx(bool checked)
{
    chkLogProx = checked;
    loginEnabled = txtPassEnabled = checked;
}

void ProxyPage::setPass(bool checked)
{
    chkPass = checked;
    txtPassEnabled = checked;
}

void ProxyPage::setLoginReq(bool checked)
{
    chkLoginReq = checked;
    frameLoginRequiredEnabled = checked;
}

void ProxyPage::store(SettingsPageIO& io) const
{
    io.write("UsePASV", chkFtpPASV);
    io.write("UseProxy", chkUseProxy);
    io.write("ProxyServer", txtProxyServer);
    io.write("ProxyPort", txtProxyPort);
    io.write("UseFTPProxy", chkFTPProxy);
    io.write("UserID", txtUserID);
    io.write("UserPass", txtPass);
    io.write("LoginProxy", chkLogProx);
    io.write("UsePass", chkPass);
}
