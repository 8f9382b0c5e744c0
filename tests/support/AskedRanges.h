#pragma once

#include "support/AccessLogEntry.h"

#include <QString>
#include <QStringList>

#include <functional>

class PeerServer;

// What a download asked a peer server for, as its access log shows: the
// ranges ("bytes=a-b") of the GETs.

// The ranges of the GETs `server` logged after its first `skip` entries, but
// those `ignored`, once they cover the `expected` ranges (a few seconds at
// most): a server logs a request when it has sent its last byte, which may be
// a moment after the download has ended.
QStringList RangesAsked(const PeerServer& server, const QStringList& expected, qsizetype skip = 0,
                        const std::function<bool(const AccessLogEntry&)>& ignored = {});

// True for a request of an earlier run of a download, seen from a run that
// asks for the `expected` ranges: it ended before its range did (the run was
// cut off), or it starts outside every expected range. A server logs a
// request when it notices the client has gone, so such requests may reach the
// log late.
bool FromAnEarlierRun(const AccessLogEntry& entry, const QStringList& expected);

// The ranges `asked` cover the `expected` ones exactly and never overlap, and
// each expected range starts one of them: every byte was asked for once, in
// pieces and take-overs.
void ExpectRangesAskedOnce(const QStringList& asked, const QStringList& expected);
