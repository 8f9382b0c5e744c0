#include "site/CrawlProgress.h"

#include "core/TextReadSession.h"

QString CrawlProgress::text(const TextLookup& lookup) const
{
    const TextReadSession session(lookup);
    const auto text = [&lookup](const char* key, const QString& fallback) {
        return lookup.GetText(QString::fromLatin1(key), fallback);
    };
    QString head;
    switch (phase) {
    case Phase::Off: return QString();
    case Phase::WaitingForStartPage: return text("12011", QStringLiteral("Site download: waiting for the start page"));
    case Phase::Crawling: head = text("12012", QStringLiteral("Site download")); break;
    case Phase::Finished: head = text("12013", QStringLiteral("Site download finished")); break;
    case Phase::Stopped: head = text("12014", QStringLiteral("Site download stopped")); break;
    }
    QString shown = text("12015", QStringLiteral("%1: %2 pages read, %3 queued, %4 running, %5 done, %6 failed"))
                        .arg(head)
                        .arg(pages)
                        .arg(queued)
                        .arg(running)
                        .arg(done)
                        .arg(failed);
    if (stopped > 0)
        shown += text("12016", QStringLiteral(", %1 stopped")).arg(stopped);
    return shown;
}
