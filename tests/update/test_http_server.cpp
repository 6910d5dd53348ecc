// The test HTTP server: one thread accepts, one thread per connection answers. Every wait
// polls the stop flag, so the destructor ends stalled connections promptly.
#include "tests/update/test_http_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace nv::test {

const char* const TestHttpServer::kNotFoundPage =
    "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 2.0//EN\">\n"
    "<html><head>\n<title>404 Not Found</title>\n</head><body>\n"
    "<h1>Not Found</h1>\n<p>The requested URL was not found on this server.</p>\n"
    "</body></html>\n";

namespace {

constexpr int kPollMs = 20;

const char* Reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    default:
        return "Status";
    }
}

bool SendAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

std::string HeaderValue(const std::string& head, const std::string& name)
{
    std::istringstream lines(head);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > name.size() &&
            strncasecmp(line.c_str(), name.c_str(), name.size()) == 0 && line[name.size()] == ':') {
            size_t start = name.size() + 1;
            while (start < line.size() && line[start] == ' ')
                ++start;
            return line.substr(start);
        }
    }
    return {};
}

} // namespace

TestHttpServer::TestHttpServer(std::string root) : m_root(std::move(root))
{
    // Requests to this server must not go through a proxy of the environment.
    ::setenv("no_proxy", "127.0.0.1,localhost", 1);
    ::setenv("NO_PROXY", "127.0.0.1,localhost", 1);
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) ||
        ::listen(m_listen, 16) ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length))
        throw std::runtime_error("the test server cannot listen");
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { AcceptLoop(); });
}

TestHttpServer::~TestHttpServer()
{
    m_stop = true;
    if (m_acceptor.joinable())
        m_acceptor.join();
    ::close(m_listen);
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        workers.swap(m_workers);
    }
    for (std::thread& t : workers)
        t.join();
}

std::string TestHttpServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void TestHttpServer::Script(const std::string& path, Response response)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_scripted[path] = std::move(response);
}

void TestHttpServer::Unscript(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_scripted.erase(path);
}

void TestHttpServer::Redirect(const std::string& path, const std::string& location)
{
    Response r;
    r.status = 302;
    r.body = "moved";
    r.headers.push_back({"Location", location});
    Script(path, r);
}

std::vector<TestHttpServer::Request> TestHttpServer::Requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

void TestHttpServer::AcceptLoop()
{
    while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) <= 0)
            continue;
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++m_connections;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_workers.emplace_back([this, fd] {
            Serve(fd);
            ::close(fd);
        });
    }
}

TestHttpServer::Response TestHttpServer::Find(const std::string& path) const
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_scripted.find(path);
        if (it != m_scripted.end())
            return it->second;
    }
    Response r;
    if (path.find("..") == std::string::npos) {
        std::ifstream in(m_root + path, std::ios::binary);
        if (in) {
            std::ostringstream body;
            body << in.rdbuf();
            r.body = body.str();
            return r;
        }
    }
    r.status = 404;
    r.body = kNotFoundPage;
    r.headers.push_back({"Content-Type", "text/html"});
    return r;
}

void TestHttpServer::Serve(int fd)
{
    std::string pending;
    while (!m_stop) {
        // Read one request head.
        size_t end;
        while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
            if (m_stop || pending.size() > 65536)
                return;
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, kPollMs) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            pending.append(buffer, size_t(n));
        }
        const std::string head = pending.substr(0, end + 2);
        pending.erase(0, end + 4);
        const size_t sp1 = head.find(' ');
        const size_t sp2 = head.find(' ', sp1 + 1);
        if (sp1 == std::string::npos || sp2 == std::string::npos)
            return;
        const std::string path = head.substr(sp1 + 1, sp2 - sp1 - 1);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back({path, HeaderValue(head, "User-Agent")});
        }

        const Response r = Find(path);
        std::string reply =
            "HTTP/1.1 " + std::to_string(r.status) + " " + Reason(r.status) + "\r\n";
        for (const auto& [name, value] : r.headers)
            reply += name + ": " + value + "\r\n";
        if (r.behaviour == Behaviour::closeDelimited)
            reply += "Connection: close\r\n";
        else
            reply += "Content-Length: " + std::to_string(r.body.size()) + "\r\n";
        reply += "\r\n";

        switch (r.behaviour) {
        case Behaviour::normal:
            if (!SendAll(fd, reply + r.body))
                return;
            break;
        case Behaviour::closeDelimited:
            SendAll(fd, reply + r.body);
            return;
        case Behaviour::cutShort:
            SendAll(fd, reply + r.body.substr(0, r.body.size() / 2));
            return;
        case Behaviour::stallInBody:
            SendAll(fd, reply + r.body.substr(0, 8));
            [[fallthrough]];
        case Behaviour::silent:
            while (!m_stop) {
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, kPollMs) > 0) {
                    char buffer[256];
                    if (::recv(fd, buffer, sizeof buffer, 0) <= 0)
                        return; // the client gave up
                }
            }
            return;
        }
    }
}

} // namespace nv::test
