#pragma once

#include <QtGlobal>

// The tests talk to peers on the loopback: a proxy named in the environment
// of the machine that runs them would stand between. Tests of the proxy
// settings set the variables themselves.
inline void forgetEnvironmentProxies()
{
    for (const char* name : {"http_proxy", "https_proxy", "no_proxy", "HTTP_PROXY", "HTTPS_PROXY", "NO_PROXY"})
        qunsetenv(name);
}
