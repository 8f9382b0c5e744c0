#include "core/CaptionTable.h"

#include "core/TextLookup.h"

QHash<QString, QString> CaptionTable(std::span<const CaptionKey> keys, const TextLookup* text)
{
    QHash<QString, QString> captions;
    for (const CaptionKey& caption : keys) {
        const QString builtIn = QString::fromLatin1(caption.builtIn);
        captions.insert(QString::fromLatin1(caption.control),
                        text ? text->caption(QString::fromLatin1(caption.key), builtIn) : builtIn);
    }
    return captions;
}
