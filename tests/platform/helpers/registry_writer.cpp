// Writes `count` values "<prefix>N" = "value N" to one registry key, one write
// at a time, as fast as it can: a second process doing the same at once must
// lose none of them.
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        QTextStream(stderr) << "usage: registry_writer REGISTRY_FOLDER PREFIX COUNT\n";
        return 2;
    }
    Registry registry(args[1]);
    const int count = args[3].toInt();
    for (int i = 0; i < count; ++i) {
        const QString name = args[2] + QString::number(i);
        if (!registry.writeValue(RegistryRoot::HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Race"), name,
                                 QStringLiteral("value ") + QString::number(i))) {
            QTextStream(stderr) << "write failed: " << name << '\n';
            return 1;
        }
    }
    return 0;
}
