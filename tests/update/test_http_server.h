// A small HTTP/1.1 server on 127.0.0.1 for the update tests. It serves the files of a folder
// and scripted responses (error pages, bodies cut short, stalls, redirects), keeps
// connections alive between requests, and records what it was asked.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nv::test {

class TestHttpServer
{
public:
    enum class Behaviour {
        normal,         // status, Content-Length and body; the connection stays open
        closeDelimited, // no Content-Length: the body ends when the connection closes
        cutShort,       // announces the whole body, sends half of it and closes
        stallInBody,    // announces the body, sends a few bytes, then nothing more
        silent,         // reads the request and never answers
    };
    struct Response
    {
        int status = 200;
        std::string body;
        Behaviour behaviour = Behaviour::normal;
        std::vector<std::pair<std::string, std::string>> headers;
    };
    struct Request
    {
        std::string path;
        std::string userAgent;
    };

    // Serves the files below root; starts listening at once on an ephemeral port.
    explicit TestHttpServer(std::string root);
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    int Port() const { return m_port; }
    // "http://127.0.0.1:<port>" followed by path.
    std::string Url(const std::string& path) const;

    // Answers requests for path (the request target, query included) with response.
    void Script(const std::string& path, Response response);
    // Lets path be served from the folder again.
    void Unscript(const std::string& path);
    // Answers path with a 302 to location.
    void Redirect(const std::string& path, const std::string& location);

    std::vector<Request> Requests() const;
    int Connections() const { return m_connections; }

    // The 404 page for missing files: an HTML page with the public HTML doctype.
    static const char* const kNotFoundPage;

private:
    void AcceptLoop();
    void Serve(int fd);
    Response Find(const std::string& path) const;

    std::string m_root;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    mutable std::mutex m_mutex;
    std::map<std::string, Response> m_scripted;
    std::vector<Request> m_requests;
    std::vector<std::thread> m_workers;
    std::thread m_acceptor;
};

} // namespace nv::test
