#include "GeneratedSite.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>

namespace {

const QStringList kFolders = {QString(),
                              QStringLiteral("docs/"),
                              QStringLiteral("docs/guide/"),
                              QStringLiteral("docs/guide/deep/"),
                              QStringLiteral("img/"),
                              QStringLiteral("files/"),
                              QStringLiteral("files/old/"),
                              QStringLiteral("news/2026/")};
const QStringList kFileTypes = {QStringLiteral("zip"),  QStringLiteral("bin"), QStringLiteral("txt"),
                                QStringLiteral("jpg"),  QStringLiteral("png"), QStringLiteral("gif"),
                                QStringLiteral("jpeg"), QStringLiteral("pdf")};

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ReadOther | QFileDevice::ReadGroup);
}

QByteArray randomBytes(QRandomGenerator& random, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(random.bounded(256));
    return bytes;
}

// How a page at `from` (below /site/) writes a link to `to`.
QString linkText(QRandomGenerator& random, const QString& from, const QString& to, quint16 port)
{
    const QString folder = from.left(from.lastIndexOf(QLatin1Char('/')) + 1);
    switch (random.bounded(5)) {
    case 0: return QStringLiteral("/site/") + to;
    case 1: return QStringLiteral("http://127.0.0.1:%1/site/").arg(port) + to;
    case 2:
        return QDir(QStringLiteral("/x/") + folder).relativeFilePath(QStringLiteral("/x/") + to)
            + QStringLiteral("#part");
    default: return QDir(QStringLiteral("/x/") + folder).relativeFilePath(QStringLiteral("/x/") + to);
    }
}

QString anchor(QRandomGenerator& random, const QString& target, bool image)
{
    const bool upper = random.bounded(4) == 0;
    const QChar quote = random.bounded(3) == 0 ? QLatin1Char('\'') : QLatin1Char('"');
    if (image)
        return QStringLiteral("<%1 %2=%3%4%3 alt=\"\">")
            .arg(upper ? QStringLiteral("IMG") : QStringLiteral("img"),
                 upper ? QStringLiteral("SRC") : QStringLiteral("src"), quote, target);
    return QStringLiteral("<%1 %2=%3%4%3>link</%1>")
        .arg(upper ? QStringLiteral("A") : QStringLiteral("a"), upper ? QStringLiteral("HREF") : QStringLiteral("href"),
             quote, target);
}

} // namespace

GeneratedSite::Made GeneratedSite::write(const QString& documentRoot, quint16 port, int pages, int files)
{
    QRandomGenerator random(20261207);
    const QString site = documentRoot + QStringLiteral("/site/");
    QStringList pageNames = {QStringLiteral("index.html")};
    for (int i = 1; i < pages; ++i) {
        const QString folder = kFolders[i % kFolders.size()];
        pageNames.append(
            folder + QStringLiteral("p%1.%2").arg(i).arg(i % 3 == 0 ? QStringLiteral("htm") : QStringLiteral("html")));
    }
    QStringList fileNames;
    for (int j = 0; j < files; ++j) {
        const QString folder = kFolders[(j * 3) % kFolders.size()];
        fileNames.append(folder + QStringLiteral("f%1.%2").arg(j).arg(kFileTypes[j % kFileTypes.size()]));
        // Most files are small; some are a few hundred kilobytes.
        const int size = j % 17 == 0 ? 200000 + random.bounded(200000) : 1 + random.bounded(40000);
        writeFile(site + fileNames.last(), randomBytes(random, size));
    }
    writeFile(documentRoot + QStringLiteral("/outside.zip"), randomBytes(random, 1000));
    writeFile(documentRoot + QStringLiteral("/other/o.html"), "<a href=\"/outside.zip\">x</a>\n");

    Made made;
    made.pages = pages;
    made.files = files;
    for (int i = 0; i < pages; ++i) {
        const QString& name = pageNames[i];
        const int depth = static_cast<int>(name.count(QLatin1Char('/')));
        QStringList lines = {QStringLiteral("<html><head><title>Page %1</title></head><body>").arg(i)};
        // The next page keeps every page in reach; the others are chosen at random.
        QStringList links;
        if (i + 1 < pages)
            links.append(anchor(random, linkText(random, name, pageNames[i + 1], port), false));
        for (int k = 0; k < 3; ++k)
            links.append(anchor(random, linkText(random, name, pageNames[random.bounded(pages)], port), false));
        for (int j = i; j < files; j += pages) {
            const bool image = fileNames[j].endsWith(QStringLiteral("g"))
                || fileNames[j].endsWith(QStringLiteral("gif"));
            links.append(anchor(random, linkText(random, name, fileNames[j], port), image));
        }
        for (int k = 0; k < 2; ++k)
            links.append(anchor(random, linkText(random, name, fileNames[random.bounded(files)], port), false));
        // What the crawl leaves alone.
        links.append(anchor(random, QStringLiteral("mailto:webmaster@example.org"), false));
        links.append(anchor(random, QStringLiteral("javascript:void(0)"), false));
        links.append(anchor(random, QStringLiteral("http://127.0.0.2:%1/site/index.html").arg(port), false));
        links.append(anchor(random, QStringLiteral("/outside.zip"), false));
        links.append(anchor(random, QStringLiteral("../").repeated(depth + 1) + QStringLiteral("other/o.html"), false));
        if (i % 20 == 5) {
            links.append(anchor(random, QStringLiteral("missing%1.zip").arg(i), false));
            ++made.missing;
        }
        // Several links to a line, in the order they were made.
        for (qsizetype at = 0; at < links.size(); at += 3)
            lines.append(links.mid(at, 3).join(QLatin1Char(' ')));
        lines.append(QStringLiteral("</body></html>"));
        writeFile(site + name, lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    }
    return made;
}
