// KEVA_IE_BHO: the helper program that the browser extension asks, through
// native messaging, whether KEVA takes a link. The browser starts it with
// the extension's origin (or its manifest and ID) as arguments, which it
// does not need.

#include "capture/CBrowserHelper.h"
#include "capture/NativeHost.h"
#include "capture/NativeMessageChannel.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    // A browser that has gone away must not end the program in the middle of
    // a write: the write fails and the program ends.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);

    // The descriptors themselves, not stdio's streams: an answer must reach
    // the browser at once, since it waits for it before it says more.
    QFile in;
    QFile out;
    if (!in.open(STDIN_FILENO, QIODevice::ReadOnly | QIODevice::Unbuffered)
        || !out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        std::fputs("KEVA_IE_BHO: cannot use standard input and output\n", stderr);
        return 1;
    }
    Registry registry(Registry::defaultFolder());
    const CBrowserHelper helper(registry);
    NativeMessageChannel channel(in, out);
    return NativeHost(channel, helper).run();
}
