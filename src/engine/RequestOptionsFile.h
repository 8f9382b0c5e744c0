#pragma once

#include "engine/RequestOptions.h"

#include <QString>

#include <optional>

// The request options of a download kept beside its file as
// "<file>.keva-session", so that a download resumed after a restart asks with
// the same cookies, page, User-Agent and login, and its file is checked
// against the same checksum. It holds secrets, so only the user may read it
// (mode 0600); it goes with the resume data.
class RequestOptionsFile {
public:
    static QString pathFor(const QString& savePath);
    // False when it could not be written.
    static bool save(const QString& savePath, const QString& url, const RequestOptions& options);
    // The options kept for a download of `url` into `savePath`; nothing when
    // there are none, they belong to another address or cannot be read.
    static std::optional<RequestOptions> load(const QString& savePath, const QString& url);
    static void remove(const QString& savePath);
};
