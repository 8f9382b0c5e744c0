#pragma once

#include <QString>

// Names that come from the network (a link of a crawled page, the file name
// of an address) before they name a file on disk.
class NetworkName {
public:
    // `name` with each bidirectional control character (the embeddings and
    // overrides U+202A to U+202E, the isolates U+2066 to U+2069, the marks
    // U+200E, U+200F and U+061C) replaced by "_": such a character makes a
    // name show in another order than its letters have, so that
    // "photo\u202Egpj.exe" shows as "photoexe.jpg".
    static QString withoutBidiControls(const QString& name);

    // The name a download of `url` is saved under, as browsers and wget name
    // it: the last part of the path without its query, percent-decoded once;
    // a "/" or "\\" that decoding brings is replaced by "_" (the name stays
    // one name in one folder), and so are control and bidirectional control
    // characters. "index.html" when nothing is left.
    static QString fileNameOf(const QString& url);
};
