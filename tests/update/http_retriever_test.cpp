// Fetching URLs from a real HTTP server on 127.0.0.1 into temporary files.
#include "update/http_retriever.h"

#include "tests/testlib/temp_dir.h"
#include "tests/update/test_http_server.h"
#include "tests/update/update_fixtures.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using nv::test::FolderTempFiles;
using nv::test::ReadFile;
using nv::test::RecordingStatus;
using nv::test::TempDir;
using nv::test::TestHttpServer;

// A port on which nothing listens.
int ClosedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

class RetrieverTest : public ::testing::Test
{
protected:
    RetrieverTest() : server(root.Path()), temps(root.Path() + "/tmp")
    {
        std::filesystem::create_directory(root.Path() + "/tmp");
        limits.connectTimeoutSeconds = 2;
        limits.stallSeconds = 1;
    }

    TempDir root;
    TestHttpServer server;
    FolderTempFiles temps;
    RetrievalLimits limits;
};

TEST_F(RetrieverTest, StoresOnlyTheBodyOfASuccessfulReply)
{
    root.Write("update.bin", std::string(10000, 'x'));
    root.Write("empty.txt", "");
    CHttpRetriever retriever(temps, limits);
    std::string path;

    ASSERT_TRUE(retriever.RetrieveToTempFile(server.Url("/update.bin"), path));
    EXPECT_EQ(ReadFile(path), std::string(10000, 'x'));
    const std::string name = std::filesystem::path(path).filename().string();
    EXPECT_EQ(name.substr(0, 3), "WEB");
    EXPECT_EQ(std::filesystem::path(path).parent_path(), root.Path() + "/tmp");
    EXPECT_EQ(std::filesystem::path(path).extension(), ".tmp");

    ASSERT_TRUE(retriever.RetrieveToTempFile(server.Url("/empty.txt"), path));
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    EXPECT_EQ(retriever.m_strError, "");

    // An error page is a failure, never a body the callers could take for a manifest.
    EXPECT_FALSE(retriever.RetrieveToTempFile(server.Url("/missing.txt"), path));
    EXPECT_NE(retriever.m_strError.find("404"), std::string::npos) << retriever.m_strError;
    EXPECT_EQ(ReadFile(path), "");
    TestHttpServer::Response failure;
    failure.status = 500;
    failure.body = "Nulo_Vandrel.chm,Nulo_Vandrel.chm,99.00\n";
    server.Script("/failure", failure);
    EXPECT_FALSE(retriever.RetrieveToTempFile(server.Url("/failure"), path));
    EXPECT_EQ(ReadFile(path), "");
}

TEST_F(RetrieverTest, OneSessionServesEveryFetchWithTheFirstAgent)
{
    root.Write("a.txt", "a");
    root.Write("b.txt", "b");
    CHttpRetriever retriever(temps, limits);
    std::string path;
    ASSERT_TRUE(retriever.RetrieveToTempFile(server.Url("/a.txt"), path));
    const CRetrievalSession* session = retriever.m_pSession.get();
    ASSERT_NE(session, nullptr);
    ASSERT_TRUE(retriever.RetrieveToTempFile(server.Url("/b.txt"), path, "RuzOrav demo"));
    EXPECT_EQ(retriever.m_pSession.get(), session);

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].userAgent, "Nulo_Vandrel");
    EXPECT_EQ(requests[1].userAgent, "Nulo_Vandrel");
    EXPECT_EQ(server.Connections(), 1); // the connection is kept for the second request
}

TEST_F(RetrieverTest, TransferFailuresGiveFalseWithTheReason)
{
    TestHttpServer::Response cut;
    cut.body = std::string(3000, 'c');
    cut.behaviour = TestHttpServer::Behaviour::cutShort;
    server.Script("/cut", cut);
    TestHttpServer::Response stall = cut;
    stall.behaviour = TestHttpServer::Behaviour::stallInBody;
    server.Script("/stall", stall);
    TestHttpServer::Response silent;
    silent.behaviour = TestHttpServer::Behaviour::silent;
    server.Script("/silent", silent);
    TestHttpServer::Response big;
    big.body = std::string(5000, 'b');
    server.Script("/big", big);
    big.behaviour = TestHttpServer::Behaviour::closeDelimited;
    server.Script("/big-unannounced", big);
    server.Redirect("/loop", "/loop");
    server.Redirect("/to-file", "file:///etc/passwd");
    limits.maxBodyBytes = 4096;

    struct Row
    {
        const char* name;
        std::string url;
        const char* inError; // part of the expected reason
    } rows[] = {
        {"body cut short", server.Url("/cut"), ""},
        {"stall within the body", server.Url("/stall"), "no data received for 1 seconds"},
        {"server never answers", server.Url("/silent"), "no data received"},
        {"redirect loop", server.Url("/loop"), "redirect"},
        {"redirect to a local file", server.Url("/to-file"), "file"},
        {"announced body too long", server.Url("/big"), "Maximum file size exceeded"},
        {"unannounced body too long", server.Url("/big-unannounced"), "Maximum file size exceeded"},
        {"nothing listening", "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x", ""},
        {"not http", "ftp://127.0.0.1/x", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CHttpRetriever retriever(temps, limits);
        std::string path;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(retriever.RetrieveToTempFile(row.url, path));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_FALSE(retriever.m_strError.empty());
        EXPECT_LE(retriever.m_strError.size(), 255u);
        EXPECT_NE(retriever.m_strError.find(row.inError), std::string::npos)
            << retriever.m_strError;
        ASSERT_TRUE(retriever.m_pSession);
        EXPECT_EQ(retriever.m_pSession->m_strLastStatus, retriever.m_strError);
        // The temporary file stays for the caller, whatever it holds.
        EXPECT_TRUE(std::filesystem::exists(path));
        EXPECT_EQ(ReadFile(path).find("root:"), std::string::npos);
    }
}

// Temporary files that cannot be made, or that cannot take the body.
class FixedTempFiles : public nv::TempFiles
{
public:
    explicit FixedTempFiles(std::string path) : m_path(std::move(path)) {}
    std::string TempFolder() override { return "/nonexistent/"; }
    std::string CreateTempFile(const std::string&) override { return m_path; }

private:
    std::string m_path;
};

TEST_F(RetrieverTest, LocalFileFailuresAreReportedNotThrown)
{
    root.Write("a.txt", std::string(100000, 'a'));
    {
        FixedTempFiles none("");
        CHttpRetriever retriever(none, limits);
        std::string path = "stale";
        EXPECT_FALSE(retriever.RetrieveToTempFile(server.Url("/a.txt"), path));
        EXPECT_EQ(
            retriever.m_strError.rfind("ERROR:  Unable to create temporary file /nonexistent/", 0),
            0u);
        EXPECT_EQ(path, "");
    }
    {
        FixedTempFiles full("/dev/full"); // every write fails: no space left
        CHttpRetriever retriever(full, limits);
        std::string path;
        EXPECT_FALSE(retriever.RetrieveToTempFile(server.Url("/a.txt"), path));
        EXPECT_EQ(path, "/dev/full");
        EXPECT_NE(retriever.m_strError.find("space"), std::string::npos) << retriever.m_strError;
    }
}

TEST_F(RetrieverTest, StatusTextsFollowTheTransfer)
{
    root.Write("a.bin", std::string(10000, 'a'));
    RecordingStatus status;
    {
        CHttpRetriever retriever(temps, limits);
        std::string path;
        const std::string url = "http://localhost:" + std::to_string(server.Port()) + "/a.bin";
        ASSERT_TRUE(retriever.RetrieveToTempFile(url, path, nullptr, &status));
        for (const char* text :
             {"Resolving name for localhost", "Resolved name for localhost",
              "Connecting to socket address ", "Connected to socket address", "Sending request...",
              "Request sent", "Response received", "Read 10000 bytes",
              "Request complete, dwResult = 00000001, dwError = 00000000"})
            EXPECT_TRUE(status.Saw(text)) << text;
        EXPECT_EQ(status.texts.back(), "");
        EXPECT_EQ(retriever.m_pSession->m_strLastStatus, "");
        // The body is written 4095 bytes at a time at most, each piece counted.
        long last = 0;
        for (const std::string& text : status.texts) {
            long n = 0;
            if (std::sscanf(text.c_str(), "Read %ld bytes", &n) == 1) {
                EXPECT_GT(n, last);
                EXPECT_LE(n - last, 4095);
                last = n;
            }
        }
        EXPECT_EQ(last, 10000);

        // A reused connection is neither resolved nor connected again.
        status.texts.clear();
        ASSERT_TRUE(retriever.RetrieveToTempFile(url, path));
        EXPECT_FALSE(status.Saw("Connecting to socket address "));
        EXPECT_TRUE(status.Saw("Sending request..."));

        CRetrievalSession& session = *retriever.m_pSession;
        session.OnStatusCallback(1, 42, nullptr, 0);
        EXPECT_EQ(session.m_strLastStatus, "Unknown status: 42");
        session.OnStatusCallback(1, kStatusRequestComplete, "abc", 3);
        EXPECT_EQ(session.m_strLastStatus, "Request complete");
        session.OnStatusCallback(1, kStatusReceivingResponse, nullptr, 0);
        EXPECT_EQ(session.m_strLastStatus, "Request complete");
        status.texts.clear();
    }
    // Closing the session closes its connection.
    EXPECT_TRUE(status.Saw("Closing the connection to the server"));
    EXPECT_TRUE(status.Saw("Connection to the server closed"));

    EXPECT_EQ(CHttpRetriever::FormatReadStatus(10240, 2), "Read 10240 bytes (5.0 Kb/s)");
    EXPECT_EQ(CHttpRetriever::FormatReadStatus(300, 0), "Read 300 bytes");
}

} // namespace
