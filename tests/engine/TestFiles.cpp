#include "TestFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

namespace {

constexpr QFileDevice::Permissions kWorldReadable = QFileDevice::ReadOwner | QFileDevice::WriteOwner
    | QFileDevice::ReadGroup | QFileDevice::ReadOther;
constexpr QFileDevice::Permissions kWorldListable = kWorldReadable | QFileDevice::ExeOwner | QFileDevice::ExeGroup
    | QFileDevice::ExeOther;

// Registered before main() runs, once for the program; gtest owns it.
TestFiles* const kRegistered = static_cast<TestFiles*>(testing::AddGlobalTestEnvironment(new TestFiles));

} // namespace

TestFiles& TestFiles::registered()
{
    if (!kRegistered->folder_)
        ADD_FAILURE() << "TestFiles used outside a running test";
    return *kRegistered;
}

void TestFiles::SetUp()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QDir().mkpath(root());
    // Peers may run as another user: the folders and files are readable by all.
    QFile::setPermissions(folder_->path(), kWorldListable);
    QFile::setPermissions(root(), kWorldListable);
}

void TestFiles::TearDown()
{
    folder_.reset();
}

QString TestFiles::make(qint64 size)
{
    const QString name = QStringLiteral("f%1.bin").arg(size);
    if (QFile::exists(path(name)))
        return name;
    QFile file(path(name));
    file.open(QIODevice::WriteOnly);
    QRandomGenerator generator(static_cast<quint32>(size));
    QByteArray block(1 << 16, Qt::Uninitialized);
    for (qint64 left = size; left > 0; left -= block.size()) {
        generator.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        file.write(block.constData(), std::min<qint64>(left, block.size()));
    }
    file.close();
    QFile::setPermissions(path(name), kWorldReadable);
    return name;
}

void TestFiles::write(const QString& name, const QByteArray& content) const
{
    QFile file(path(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    QFile::setPermissions(path(name), kWorldReadable);
}

QByteArray TestFiles::sha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "unreadable " + path.toUtf8();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}
