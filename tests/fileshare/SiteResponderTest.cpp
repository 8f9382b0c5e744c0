#include "fileshare/http/SiteResponder.h"

#include "fileshare/http/ContentTypeLookup.h"
#include "fileshare/http/HttpDate.h"
#include "fileshare/http/HttpRequestParser.h"
#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace {

constexpr std::time_t kNow = 1700000000; // Tue, 14 Nov 2023 22:13:20 GMT

// Two published folders ("/" and dir2) and a secret beside them.
class SiteResponderTest : public testing::Test {
protected:
    void SetUp() override
    {
        home.writeFile(QStringLiteral("site/hello.txt"), "hello world\n");
        home.writeFile(QStringLiteral("site/b.txt"), "0123456789");
        home.writeFile(QStringLiteral("site/empty.dat"), "");
        home.writeFile(QStringLiteral("site/my file.zip"), "zip");
        home.writeFile(QStringLiteral("site/sub/inner.htm"), "<p>inner</p>");
        home.writeFile(QStringLiteral("site/x-_-y.txt"), "dashes");
        home.writeFile(QStringLiteral("site/both-_-ways.txt"), "literal");
        home.writeFile(QStringLiteral("site/both ways.txt"), "blank");
        home.writeFile(QStringLiteral("site/<b onmouseover=alert(1)>x.txt"), "x");
        home.writeFile(QStringLiteral("second/two.txt"), "two");
        home.writeFile(QStringLiteral("secret.txt"), "secret");
        home.writeFile(QStringLiteral("quiet/default.htm"), "<p>default</p>");
        home.writeFile(QStringLiteral("registry/HKEY_CLASSES_ROOT.reg"),
                       "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\.zip]\r\n\"Content Type\"=\"application/x-zip-test\"\r\n");
        ::symlink(path("secret.txt").c_str(), path("site/outside-link").c_str());
        ::symlink("hello.txt", path("site/inside-link").c_str());
        ::symlink("..", path("site/up").c_str());
        ::symlink("no-such-file", path("site/dangling").c_str());
        ::symlink("../hello.txt", path("site/sub/to-hello").c_str());
        ::symlink("../../secret.txt", path("site/sub/to-secret").c_str());
        ::mkfifo(path("site/fifo").c_str(), 0600);

        std::vector<PublishedFolder> folders(3);
        folders[0].path = path("quiet");
        folders[0].alias = "dir3";
        folders[0].listingAllowed = false;
        folders[1].path = path("second");
        folders[1].alias = "dir2";
        folders[2].path = path("site");
        folders[2].alias = "/";
        responder = std::make_unique<SiteResponder>(folders, types);
    }

    std::string path(const char* name) const { return home.path(QString::fromUtf8(name)).toStdString(); }

    HttpResponse get(const std::string& head) const
    {
        const auto parsed = HttpRequestParser::parse(head);
        EXPECT_EQ(parsed.status, HttpRequestParser::Status::Complete) << head;
        return responder->respond(parsed.request, kNow);
    }

    // The body, whether it comes from memory or from the file.
    static std::string body(const HttpResponse& response)
    {
        if (!response.file.valid())
            return response.body;
        std::string bytes(response.fileLength, '\0');
        EXPECT_EQ(::pread(response.file.get(), bytes.data(), bytes.size(), static_cast<off_t>(response.fileOffset)),
                  static_cast<ssize_t>(bytes.size()));
        return bytes;
    }

    TestHome home;
    ContentTypeLookup types {home.registryFolder()};
    std::unique_ptr<SiteResponder> responder;
};

TEST_F(SiteResponderTest, FileHasTheDesignedHeadersInOrder)
{
    const HttpResponse response = get("GET /hello.txt HTTP/1.1\r\n\r\n");
    // The file was written after kNow, so it is dated kNow.
    EXPECT_EQ(response.head,
              "HTTP/1.1 200 OK\r\nDate: Tue, 14 Nov 2023 22:13:20 GMT\r\nServer: Vantrel /2.0\r\n"
              "Allow: GET, HEAD, DELETE\r\nLast-Modified: "
                  + HttpDate::format(kNow) + "\r\nContent-Length: 12\r\nContent-Type: text/plain\r\n\r\n");
    EXPECT_EQ(body(response), "hello world\n");
    EXPECT_TRUE(response.keepAlive);
}

struct AnswerCase {
    const char* name;
    std::string request;
    int status;
    std::string body = {};       // expected body, or "" to skip
    std::string headerLine = {}; // a line the head must hold
};

class SiteAnswers : public SiteResponderTest, public testing::WithParamInterface<AnswerCase> { };

TEST_P(SiteAnswers, AnswersTheRequest)
{
    const AnswerCase& c = GetParam();
    const HttpResponse response = get(c.request);
    EXPECT_EQ(response.status, c.status) << response.head;
    if (!c.body.empty()) {
        EXPECT_EQ(body(response), c.body);
    }
    if (!c.headerLine.empty()) {
        EXPECT_NE(response.head.find(c.headerLine + "\r\n"), std::string::npos) << response.head;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SiteAnswers,
    testing::Values(
        AnswerCase {"Range", "GET /b.txt HTTP/1.1\r\nRange: bytes=2-4\r\n\r\n", 206, "234",
                    "Content-Range: bytes 2-4/10"},
        AnswerCase {"RangeLength", "GET /b.txt HTTP/1.1\r\nRange: bytes=2-4\r\n\r\n", 206, "", "Content-Length: 3"},
        AnswerCase {"RangeStatusLine", "GET /b.txt HTTP/1.1\r\nRange: bytes=0-\r\n\r\n", 206, "0123456789",
                    "HTTP/1.1 206 Partial content"},
        AnswerCase {"SuffixRange", "GET /b.txt HTTP/1.1\r\nRange: bytes=-3\r\n\r\n", 206, "789"},
        AnswerCase {"UnsatisfiableRange", "GET /b.txt HTTP/1.1\r\nRange: bytes=10-\r\n\r\n", 416, "",
                    "Content-Range: bytes */10"},
        AnswerCase {"UnsatisfiableRangeStatusLine", "GET /b.txt HTTP/1.1\r\nRange: bytes=10-\r\n\r\n", 416, "",
                    "HTTP/1.1 416 Requested Range Not Satisfiable"},
        AnswerCase {"SeveralRangesGiveAll", "GET /b.txt HTTP/1.1\r\nRange: bytes=0-1,3-4\r\n\r\n", 200, "0123456789"},
        AnswerCase {"NotModified", "GET /b.txt HTTP/1.1\r\nIf-Modified-Since: Tue, 14 Nov 2023 22:13:20 GMT\r\n\r\n",
                    304, "", "Content-Length: 0"},
        AnswerCase {"ModifiedSince", "GET /b.txt HTTP/1.1\r\nIf-Modified-Since: Sun, 06 Nov 1994 08:49:37 GMT\r\n\r\n",
                    200, "0123456789"},
        AnswerCase {"HeadSendsNoBody", "HEAD /b.txt HTTP/1.1\r\n\r\n", 200, "", "Content-Length: 10"},
        AnswerCase {"EncodedBlank", "GET /my%20file.zip HTTP/1.1\r\n\r\n", 200, "zip",
                    "Content-Type: application/x-zip-test"},
        AnswerCase {"DashBlank", "GET /my-_-file.zip HTTP/1.1\r\n\r\n", 200, "zip"},
        AnswerCase {"DashesInTheRealName", "GET /x-_-y.txt HTTP/1.1\r\n\r\n", 200, "dashes"},
        AnswerCase {"RealNameBeforeDashBlank", "GET /both-_-ways.txt HTTP/1.1\r\n\r\n", 200, "literal"},
        AnswerCase {"EncodedBlankBesideDashName", "GET /both%20ways.txt HTTP/1.1\r\n\r\n", 200, "blank"},
        AnswerCase {"LinkUpWithinTheFolderServed", "GET /sub/to-hello HTTP/1.1\r\n\r\n", 200, "hello world\n"},
        AnswerCase {"ListingIsUtf8", "GET / HTTP/1.1\r\n\r\n", 200, "", "Content-Type: text/html; charset=utf-8"},
        AnswerCase {"SubFolderFile", "GET /sub/inner.htm HTTP/1.1\r\n\r\n", 200, "<p>inner</p>",
                    "Content-Type: text/html"},
        AnswerCase {"SecondFolder", "GET /dir2/two.txt HTTP/1.1\r\n\r\n", 200, "two"},
        AnswerCase {"AliasAnyCase", "GET /DIR2/two.txt HTTP/1.1\r\n\r\n", 200, "two"},
        AnswerCase {"AliasWholeSegmentOnly", "GET /dir2x/two.txt HTTP/1.1\r\n\r\n", 404, ""},
        AnswerCase {"AliasWithoutSlashRedirects", "GET /dir2 HTTP/1.1\r\n\r\n", 301, "", "Location: /dir2/"},
        AnswerCase {"FolderWithoutSlashRedirects", "GET /sub HTTP/1.1\r\n\r\n", 301, "", "Location: /sub/"},
        AnswerCase {"DefaultDocumentWithoutListing", "GET /dir3/ HTTP/1.1\r\n\r\n", 200, "<p>default</p>"},
        AnswerCase {"InsideLinkServed", "GET /inside-link HTTP/1.1\r\n\r\n", 200, "hello world\n"},
        AnswerCase {"OutsideLinkRefused", "GET /outside-link HTTP/1.1\r\n\r\n", 404, ""},
        AnswerCase {"LinkToParentRefused", "GET /up/secret.txt HTTP/1.1\r\n\r\n", 404, ""},
        AnswerCase {"DotDotRefused", "GET /../secret.txt HTTP/1.1\r\n\r\n", 404, ""},
        AnswerCase {"EncodedDotDotRefused", "GET /%2e%2e/secret.txt HTTP/1.1\r\n\r\n", 404, ""},
        AnswerCase {"AliasDotDotRefused", "GET /dir2/../secret.txt HTTP/1.1\r\n\r\n", 404, ""},
        AnswerCase {"EncodedSlashRefused", "GET /sub%2finner.htm HTTP/1.1\r\n\r\n", 400, ""},
        AnswerCase {"FifoNotOpened", "GET /fifo HTTP/1.1\r\n\r\n", 404, ""},
        AnswerCase {"Missing", "GET /nothing.txt HTTP/1.1\r\n\r\n", 404, "", "Content-Type: text/html"},
        AnswerCase {"DeleteRefused", "DELETE /b.txt HTTP/1.1\r\n\r\n", 501, "", "Connection: close"},
        AnswerCase {"PostRefused", "POST /UPLOADFORM HTTP/1.1\r\nContent-Length: 3\r\n\r\n", 501, ""},
        AnswerCase {"Http10KeepAliveAnswered", "GET /b.txt HTTP/1.0\r\nConnection: keep-alive\r\n\r\n", 200, "",
                    "Connection: keep-alive"}),
    CaseName());

// Takes every descriptor the process may still open but `left`, under a soft
// limit lowered for the purpose, and gives them back when it goes.
class DescriptorsTaken {
public:
    explicit DescriptorsTaken(std::size_t left)
    {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = std::min<rlim_t>(saved_.rlim_cur, 4096);
        ::setrlimit(RLIMIT_NOFILE, &lowered);
        for (int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC); fd >= 0;
             fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC))
            taken_.emplace_back(fd);
        taken_.resize(taken_.size() - std::min(left, taken_.size()));
    }
    ~DescriptorsTaken()
    {
        taken_.clear();
        ::setrlimit(RLIMIT_NOFILE, &saved_);
    }
    DescriptorsTaken(const DescriptorsTaken&) = delete;
    DescriptorsTaken& operator=(const DescriptorsTaken&) = delete;

private:
    rlimit saved_ {};
    std::vector<UniqueFd> taken_;
};

struct ShortCase {
    const char* name;
    const char* path;
    std::size_t descriptorsLeft; // how far the answer gets before they run out
};

class OutOfDescriptors : public SiteResponderTest, public testing::WithParamInterface<ShortCase> { };

// What the site holds is never answered 404 (or a listing short of entries)
// for want of a descriptor: 503, to be asked again later.
TEST_P(OutOfDescriptors, AnswersServiceUnavailable)
{
    const ShortCase& c = GetParam();
    const std::string head = std::string("GET ") + c.path + " HTTP/1.1\r\n\r\n";
    HttpResponse response;
    {
        const DescriptorsTaken taken(c.descriptorsLeft);
        response = get(head);
    }
    EXPECT_EQ(response.status, 503) << response.head;
    EXPECT_NE(response.head.find("\r\nRetry-After: 5\r\n"), std::string::npos) << response.head;
    EXPECT_EQ(get(head).status, 200);
}

INSTANTIATE_TEST_SUITE_P(Cases, OutOfDescriptors,
                         testing::Values(ShortCase {"File", "/hello.txt", 0}, ShortCase {"Folder", "/", 0},
                                         ShortCase {"Listing", "/", 1}, ShortCase {"LinksOfAListing", "/", 2},
                                         ShortCase {"DefaultDocument", "/dir3/", 1}),
                         CaseName());

TEST_F(SiteResponderTest, NothingFromTheNetworkChangesAFile)
{
    get("DELETE /b.txt HTTP/1.1\r\n\r\n");
    get("PUT /b.txt HTTP/1.1\r\nContent-Length: 1\r\n\r\n");
    EXPECT_EQ(home.readFile(QStringLiteral("site/b.txt")), "0123456789");
}

TEST_F(SiteResponderTest, Http09GetsTheBodyAlone)
{
    const HttpResponse response = get("GET /b.txt\r\n");
    EXPECT_TRUE(response.head.empty());
    EXPECT_EQ(body(response), "0123456789");
    EXPECT_FALSE(response.keepAlive);
}

TEST_F(SiteResponderTest, AFileFromTheFutureIsDatedNow)
{
    const std::time_t future = kNow + 86400;
    const utimbuf times {future, future};
    ASSERT_EQ(::utime(path("site/b.txt").c_str(), &times), 0);
    const HttpResponse response = get("GET /b.txt HTTP/1.1\r\n\r\n");
    EXPECT_NE(response.head.find("Last-Modified: " + HttpDate::format(kNow) + "\r\n"), std::string::npos);
}

// The rows of a listing page: the link target and the name shown (unescaped).
std::vector<std::pair<std::string, std::string>> listedLinks(const std::string& page)
{
    std::vector<std::pair<std::string, std::string>> links;
    const std::string open = "<a href=";
    for (std::size_t at = page.find(open); at != std::string::npos; at = page.find(open, at + 1)) {
        const std::size_t close = page.find('>', at);
        const std::size_t end = page.find("</a>", close);
        QString name = QString::fromStdString(page.substr(close + 1, end - close - 1));
        name.replace(QStringLiteral("&lt;"), QStringLiteral("<")).replace(QStringLiteral("&gt;"), QStringLiteral(">"));
        name.replace(QStringLiteral("&quot;"), QStringLiteral("\""))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        links.emplace_back(page.substr(at + open.size(), close - at - open.size()), name.toStdString());
    }
    return links;
}

TEST_F(SiteResponderTest, ListingEscapesNamesAndPercentEncodesLinks)
{
    const std::time_t written = 1600000000;
    const utimbuf times {written, written};
    ::utime(path("site/b.txt").c_str(), &times);
    const HttpResponse response = get("GET / HTTP/1.1\r\n\r\n");
    ASSERT_EQ(response.status, 200);
    const std::string& page = response.body;
    EXPECT_EQ(page.rfind("<html>\n<head>\n<title>Directory Listing for /</title>", 0), 0u);
    EXPECT_NE(page.find("<a href=/my%20file.zip>my file.zip</a></td><td>1KB</td>"), std::string::npos) << page;
    EXPECT_NE(page.find("<a href=/x-_-y.txt>x-_-y.txt</a></td><td>1KB</td>"), std::string::npos);
    EXPECT_NE(page.find("<a href=/b.txt>b.txt</a></td><td>1KB</td>"), std::string::npos);
    EXPECT_NE(page.find("<a href=/empty.dat>empty.dat</a></td><td>0KB</td>"), std::string::npos);
    EXPECT_NE(page.find("<a href=/%3Cb%20onmouseover%3Dalert%281%29%3Ex.txt>&lt;b onmouseover=alert(1)&gt;x.txt</a>"),
              std::string::npos);
    EXPECT_EQ(page.find("<b "), std::string::npos);
    EXPECT_NE(page.find("</table>\r\n</form><hr>\n</body>\n\n</html>"), std::string::npos);
}

// What a listing offers is what the site serves: every link it holds answers
// 200 with the entry's bytes, a link in the folder is shown with the size of
// what it leads to, and links that lead nowhere or out of the published folder
// (and what is neither file nor folder) are left out.
TEST_F(SiteResponderTest, EveryListedLinkIsServed)
{
    struct Folder {
        const char* url;
        std::vector<std::string> names;
    };
    const Folder folders[] = {
        {"/",
         {"<b onmouseover=alert(1)>x.txt", "b.txt", "both ways.txt", "both-_-ways.txt", "empty.dat", "hello.txt",
          "inside-link", "my file.zip", "sub", "x-_-y.txt"}},
        {"/sub/", {"inner.htm", "to-hello"}},
    };
    for (const Folder& folder : folders) {
        const HttpResponse listing = get(std::string("GET ") + folder.url + " HTTP/1.1\r\n\r\n");
        ASSERT_EQ(listing.status, 200) << folder.url;
        std::vector<std::string> names;
        for (const auto& [link, name] : listedLinks(listing.body)) {
            names.push_back(name);
            const HttpResponse answer = get("GET " + link + " HTTP/1.1\r\n\r\n");
            const QString onDisk = QStringLiteral("site") + QString::fromLatin1(folder.url)
                + QString::fromStdString(name);
            const QFileInfo entry(home.path(onDisk));
            if (entry.isDir()) {
                EXPECT_EQ(answer.status, 301) << link;
                continue;
            }
            EXPECT_EQ(answer.status, 200) << link;
            if (!entry.isFile())
                continue; // neither file nor folder: nothing to compare, and a FIFO would block the read
            EXPECT_EQ(QByteArray::fromStdString(body(answer)), home.readFile(onDisk)) << link;
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, folder.names) << folder.url;
    }
    const HttpResponse sub = get("GET /sub/ HTTP/1.1\r\n\r\n");
    EXPECT_NE(sub.body.find("<a href=/sub/to-hello>to-hello</a></td><td>1KB</td>"), std::string::npos) << sub.body;
}

TEST_F(SiteResponderTest, ListingOfAFolderWithAQuoteInItsName)
{
    home.writeFile(QStringLiteral("site/a\"b c/f.txt"), "f");
    const HttpResponse response = get("GET /a%22b-_-c/ HTTP/1.1\r\n\r\n");
    ASSERT_EQ(response.status, 200);
    EXPECT_NE(response.body.find("<title>Directory Listing for /a&quot;b c/</title>"), std::string::npos);
    EXPECT_NE(response.body.find("<a href=/a%22b%20c/f.txt>f.txt</a>"), std::string::npos);
}

TEST_F(SiteResponderTest, EmptyFolderHasNoLastModified)
{
    QDir().mkpath(home.path(QStringLiteral("site/emptydir")));
    const HttpResponse response = get("GET /emptydir/ HTTP/1.1\r\n\r\n");
    ASSERT_EQ(response.status, 200);
    EXPECT_EQ(response.head.find("Last-Modified"), std::string::npos);
}

TEST_F(SiteResponderTest, ErrorPageHeaders)
{
    const HttpResponse response = get("GET /nothing HTTP/1.1\r\n\r\n");
    EXPECT_EQ(response.head.substr(0, response.head.find("Date:")), "HTTP/1.1 404 Not Found\r\n");
    EXPECT_NE(response.head.find("Allow: GET, HEAD, DELETE\r\nContent-Length: " + std::to_string(response.body.size())
                                 + "\r\nContent-Type: text/html\r\n\r\n"),
              std::string::npos);
    EXPECT_NE(response.body.find("<title>Error 404 - File Not Found</title>"), std::string::npos);
}

TEST_F(SiteResponderTest, UnreadableFolderIsReportedAndAnswersNotFound)
{
    std::vector<PublishedFolder> folders(1);
    folders[0].path = path("no-such-folder");
    folders[0].alias = "/";
    const SiteResponder missing(folders, types);
    EXPECT_EQ(missing.unreadableFolders(), std::vector<std::string> {folders[0].path});
    ClientRequest request;
    request.method = "GET";
    request.version = 11;
    request.target = "/";
    EXPECT_EQ(missing.respond(request, kNow).status, 404);
}

} // namespace
