#pragma once

#include <QString>

// A web site of pages and files made from a fixed seed, for the crawl tests
// and the crawl benchmark. The crawl starts at /site/index.html. Every page
// and file below /site/ is reached through the pages' links, written in all
// the ways pages write them: relative, with "../", root-relative, absolute
// with the server's address, in double or single quotes, attribute names in
// upper case, with fragments. The pages also link to what a crawl must leave
// alone: other servers, mail and script links, files above /site/ (which
// exist), and files that do not exist.
class GeneratedSite {
public:
    struct Made {
        int pages = 0;   // below /site/, the start page included
        int files = 0;   // other files below /site/
        int missing = 0; // distinct links to files that do not exist
    };

    // Writes the site into `documentRoot`; absolute links name 127.0.0.1:`port`.
    static Made write(const QString& documentRoot, quint16 port, int pages = 70, int files = 230);
};
