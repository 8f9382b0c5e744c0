#include "engine/OpenSsl.h"

#include <QLibrary>

namespace {

struct Loaded {
    OpenSsl functions;
    QString problem; // empty when every function was found
};

Loaded loadLibrary()
{
    Loaded loaded;
    // libssl brings libcrypto with it, and a look-up in libssl finds both.
    static QLibrary library(QStringLiteral("ssl"), QString::number(OPENSSL_SHLIB_VERSION));
    if (!library.load()) {
        loaded.problem = QStringLiteral("the TLS library could not be loaded (%1)").arg(library.errorString());
        return loaded;
    }
    QStringList missing;
    const auto find = [&](auto& function, const char* name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
        if (!function)
            missing.append(QString::fromLatin1(name));
    };
#define KEVA_OPENSSL_FIND(name) find(loaded.functions.name, #name);
    KEVA_OPENSSL_FUNCTIONS(KEVA_OPENSSL_FIND)
#undef KEVA_OPENSSL_FIND
    if (!missing.isEmpty())
        loaded.problem =
            QStringLiteral("the TLS library %1 lacks %2").arg(library.fileName(), missing.join(QStringLiteral(", ")));
    return loaded;
}

const Loaded& library()
{
    static const Loaded loaded = loadLibrary();
    return loaded;
}

} // namespace

const OpenSsl* OpenSsl::load(QString* problem)
{
    const Loaded& loaded = library();
    if (!loaded.problem.isEmpty()) {
        if (problem)
            *problem = loaded.problem;
        return nullptr;
    }
    return &loaded.functions;
}

const OpenSsl& OpenSsl::loaded()
{
    return library().functions;
}
