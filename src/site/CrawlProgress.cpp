#include "site/CrawlProgress.h"

QString CrawlProgress::text() const
{
    QString head;
    switch (phase) {
    case Phase::Off: return QString();
    case Phase::WaitingForStartPage: return QStringLiteral("Site download: waiting for the start page");
    case Phase::Crawling: head = QStringLiteral("Site download"); break;
    case Phase::Finished: head = QStringLiteral("Site download finished"); break;
    case Phase::Stopped: head = QStringLiteral("Site download stopped"); break;
    }
    QString text = QStringLiteral("%1: %2 pages read, %3 queued, %4 running, %5 done, %6 failed")
                       .arg(head)
                       .arg(pages)
                       .arg(queued)
                       .arg(running)
                       .arg(done)
                       .arg(failed);
    if (stopped > 0)
        text += QStringLiteral(", %1 stopped").arg(stopped);
    return text;
}
