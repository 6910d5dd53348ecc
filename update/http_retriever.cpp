// HTTP retrieval over libcurl's easy interface. libcurl's callbacks are turned into the
// session's status notifications; exceptions never cross libcurl's frames: every callback
// catches what it calls and reports it through the transfer's failure text.
#include "update/http_retriever.h"

#include "platform/c_numbers.h"
#include "platform/file.h"
#include "platform/temp_files.h"
#include "update/status_sink.h"

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <mutex>
#include <sys/socket.h>
#include <unistd.h>

const char* const kDefaultUserAgent = "Nulo_Vandrel";

namespace {

constexpr size_t kReadChunk = 4095;
constexpr size_t kMaxErrorText = 255;
constexpr uintptr_t kContext = 1;

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string LimitErrorText(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (text.size() > kMaxErrorText)
        text.resize(kMaxErrorText);
    return text;
}

// The host part of url, or empty.
std::string HostOf(const char* url)
{
    std::string host;
    if (!url)
        return host;
    CURLU* u = curl_url();
    char* part = nullptr;
    if (u && curl_url_set(u, CURLUPART_URL, url, 0) == CURLUE_OK &&
        curl_url_get(u, CURLUPART_HOST, &part, 0) == CURLUE_OK && part)
        host = part;
    curl_free(part);
    curl_url_cleanup(u);
    return host;
}

} // namespace

// State of the fetch in progress.
struct CRetrievalSession::Transfer
{
    const BodyWriter* writer = nullptr;
    uint64_t total = 0;
    std::string host;
    std::string failure; // set when one of our callbacks stopped the transfer
    curl_off_t received = -1;
    std::chrono::steady_clock::time_point lastProgress = std::chrono::steady_clock::now();
    bool resolving = false;
    bool newConnection = false;
    bool receivingHeaders = false;
};

// libcurl's callbacks, with access to the session's insides.
struct SessionCallbacks
{
    using Transfer = CRetrievalSession::Transfer;

    static void Notify(CRetrievalSession* s, uint32_t status, const std::string& text = {})
    {
        try {
            s->OnStatusCallback(kContext, status, text.c_str(), uint32_t(text.size() + 1));
        } catch (...) {
            // A status text that cannot be shown must not stop the transfer.
        }
    }

    static size_t Write(char* data, size_t size, size_t count, void* user)
    {
        auto* s = static_cast<CRetrievalSession*>(user);
        Transfer* t = s->m_pTransfer;
        const size_t n = size * count;
        if (!t)
            return 0;
        if (n > s->m_limits.maxBodyBytes - t->total) {
            t->failure = "Maximum file size exceeded";
            return 0;
        }
        try {
            for (size_t done = 0; done < n; done += kReadChunk)
                (*t->writer)(data + done, std::min(kReadChunk, n - done));
        } catch (const std::exception& e) {
            t->failure = *e.what() ? e.what() : "Unable to store the received data";
            return 0;
        } catch (...) {
            t->failure = "Unable to store the received data";
            return 0;
        }
        t->total += n;
        return n;
    }

    // Aborts a transfer that has received nothing for the stall time.
    static int Progress(void* user, curl_off_t, curl_off_t now, curl_off_t, curl_off_t)
    {
        auto* s = static_cast<CRetrievalSession*>(user);
        Transfer* t = s->m_pTransfer;
        if (!t)
            return 0;
        const auto time = std::chrono::steady_clock::now();
        if (now != t->received) {
            t->received = now;
            t->lastProgress = time;
        } else if (time - t->lastProgress >= std::chrono::seconds(s->m_limits.stallSeconds)) {
            try {
                t->failure = "Operation timed out: no data received for " +
                             std::to_string(s->m_limits.stallSeconds) + " seconds";
            } catch (...) {
            }
            return 1;
        }
        return 0;
    }

    static size_t Header(char* data, size_t size, size_t count, void* user)
    {
        auto* s = static_cast<CRetrievalSession*>(user);
        Transfer* t = s->m_pTransfer;
        const size_t n = size * count;
        if (!t)
            return n;
        t->lastProgress = std::chrono::steady_clock::now(); // headers count as data arriving
        if (!t->receivingHeaders) {
            t->receivingHeaders = true;
            Notify(s, kStatusReceivingResponse);
        }
        // The empty line ends the headers of one response (there is one per redirect).
        if ((n == 2 && data[0] == '\r' && data[1] == '\n') || (n == 1 && data[0] == '\n')) {
            t->receivingHeaders = false;
            Notify(s, kStatusResponseReceived);
        }
        return n;
    }

    static int ResolverStart(void*, void*, void* user)
    {
        auto* s = static_cast<CRetrievalSession*>(user);
        Transfer* t = s->m_pTransfer;
        if (!t)
            return 0;
        char* url = nullptr;
        curl_easy_getinfo(static_cast<CURL*>(s->m_hSession), CURLINFO_EFFECTIVE_URL, &url);
        try {
            t->host = HostOf(url);
        } catch (...) {
        }
        t->resolving = true;
        Notify(s, kStatusResolvingName, t->host);
        return 0;
    }

    static curl_socket_t OpenSocket(void* user, curlsocktype, struct curl_sockaddr* address)
    {
        auto* s = static_cast<CRetrievalSession*>(user);
        if (Transfer* t = s->m_pTransfer) {
            if (t->resolving) {
                t->resolving = false;
                Notify(s, kStatusNameResolved, t->host);
            }
            t->newConnection = true;
        }
        Notify(s, kStatusConnectingToServer);
        const int fd =
            ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
        return fd < 0 ? CURL_SOCKET_BAD : fd;
    }

    static int CloseSocket(void* user, curl_socket_t fd)
    {
        auto* s = static_cast<CRetrievalSession*>(user);
        Notify(s, kStatusClosingConnection);
        const int result = ::close(fd);
        Notify(s, kStatusConnectionClosed);
        return result;
    }

    static int Prerequest(void* user, char*, char*, int, int)
    {
        auto* s = static_cast<CRetrievalSession*>(user);
        if (Transfer* t = s->m_pTransfer; t && t->newConnection) {
            t->newConnection = false;
            Notify(s, kStatusConnectedToServer);
        }
        Notify(s, kStatusSendingRequest);
        return CURL_PREREQFUNC_OK;
    }

    static int Debug(CURL*, curl_infotype type, char*, size_t, void* user)
    {
        if (type == CURLINFO_HEADER_OUT)
            Notify(static_cast<CRetrievalSession*>(user), kStatusRequestSent);
        return 0;
    }
};

CRetrievalSession::CRetrievalSession(const std::string& agent, const RetrievalLimits& limits)
    : m_strAgent(agent), m_limits(limits)
{
    InitCurlOnce();
    CURL* h = curl_easy_init();
    if (!h)
        return;
    m_hSession = h;
    using C = SessionCallbacks;
    bool ok = true;
    auto set = [&](CURLoption option, auto value) {
        ok = ok && curl_easy_setopt(h, option, value) == CURLE_OK;
    };
    set(CURLOPT_USERAGENT, m_strAgent.c_str());
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_FOLLOWLOCATION, 1L);
    // A reply with status 400 or above is a failure, not a body: an error page is never taken
    // for a manifest or an update.
    set(CURLOPT_FAILONERROR, 1L);
    set(CURLOPT_MAXREDIRS, m_limits.maxRedirects);
#if LIBCURL_VERSION_NUM >= 0x075500
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#else
    set(CURLOPT_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
    set(CURLOPT_REDIR_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
    set(CURLOPT_SSL_VERIFYPEER, 1L);
    set(CURLOPT_SSL_VERIFYHOST, 2L);
    set(CURLOPT_CONNECTTIMEOUT, m_limits.connectTimeoutSeconds);
    set(CURLOPT_NOPROGRESS, 0L);
    set(CURLOPT_XFERINFOFUNCTION, &C::Progress);
    set(CURLOPT_XFERINFODATA, static_cast<void*>(this));
    set(CURLOPT_MAXFILESIZE_LARGE,
        curl_off_t(std::min<uint64_t>(m_limits.maxBodyBytes, INT64_MAX)));
    set(CURLOPT_WRITEFUNCTION, &C::Write);
    set(CURLOPT_WRITEDATA, static_cast<void*>(this));
    set(CURLOPT_HEADERFUNCTION, &C::Header);
    set(CURLOPT_HEADERDATA, static_cast<void*>(this));
    set(CURLOPT_RESOLVER_START_FUNCTION, &C::ResolverStart);
    set(CURLOPT_RESOLVER_START_DATA, static_cast<void*>(this));
    set(CURLOPT_OPENSOCKETFUNCTION, &C::OpenSocket);
    set(CURLOPT_OPENSOCKETDATA, static_cast<void*>(this));
    set(CURLOPT_CLOSESOCKETFUNCTION, &C::CloseSocket);
    set(CURLOPT_CLOSESOCKETDATA, static_cast<void*>(this));
    set(CURLOPT_PREREQFUNCTION, &C::Prerequest);
    set(CURLOPT_PREREQDATA, static_cast<void*>(this));
    // The debug hook only reports that the request went out; nothing is printed.
    set(CURLOPT_DEBUGFUNCTION, &C::Debug);
    set(CURLOPT_DEBUGDATA, static_cast<void*>(this));
    set(CURLOPT_VERBOSE, 1L);
    if (!ok) {
        curl_easy_cleanup(h);
        m_hSession = nullptr;
        return;
    }
    SessionCallbacks::Notify(this, kStatusHandleCreated);
}

CRetrievalSession::~CRetrievalSession()
{
    if (!m_hSession)
        return;
    SessionCallbacks::Notify(this, kStatusHandleClosing);
    // Closing the cached connections reports them through the close-socket hook.
    curl_easy_cleanup(static_cast<CURL*>(m_hSession));
}

bool CRetrievalSession::Fetch(const std::string& url, const BodyWriter& writer, std::string& error)
{
    error.clear();
    if (!m_hSession) {
        error = "ERROR:  Unable to initialize session.";
        return false;
    }
    CURL* h = static_cast<CURL*>(m_hSession);
    Transfer transfer;
    transfer.writer = &writer;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
    CURLcode rc = curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    m_pTransfer = &transfer;
    if (rc == CURLE_OK)
        rc = curl_easy_perform(h);
    m_pTransfer = nullptr;
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, static_cast<char*>(nullptr));

    const uint32_t words[2] = {rc == CURLE_OK ? 1u : 0u, uint32_t(rc)};
    try {
        OnStatusCallback(kContext, kStatusRequestComplete, words, sizeof words);
    } catch (...) {
    }
    if (rc == CURLE_OK)
        return true;
    if (!transfer.failure.empty())
        error = transfer.failure;
    else if (errorBuffer[0])
        error = errorBuffer;
    else
        error = curl_easy_strerror(rc);
    error = LimitErrorText(error);
    SetStatus("%s", error.c_str());
    return false;
}

void CRetrievalSession::SetStatus(const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0)
        buffer[0] = '\0';
    m_strLastStatus = buffer;
    if (m_pStatusWnd)
        m_pStatusWnd->ShowStatus(m_strLastStatus);
}

void CRetrievalSession::OnStatusCallback(uintptr_t, uint32_t status, const void* info,
                                         uint32_t infoLength)
{
    std::string text;
    if (info && infoLength > 0) {
        const char* chars = static_cast<const char*>(info);
        text.assign(chars, strnlen(chars, infoLength));
    }
    switch (status) {
    case kStatusResolvingName:
        SetStatus("Resolving name for %s", text.c_str());
        break;
    case kStatusNameResolved:
        SetStatus("Resolved name for %s", text.c_str());
        break;
    case kStatusConnectingToServer:
        SetStatus("Connecting to socket address ");
        break;
    case kStatusConnectedToServer:
        SetStatus("Connected to socket address");
        break;
    case kStatusSendingRequest:
        SetStatus("Sending request...");
        break;
    case kStatusRequestSent:
        SetStatus("Request sent");
        break;
    case kStatusReceivingResponse:
        break;
    case kStatusResponseReceived:
        SetStatus("Response received");
        break;
    case kStatusClosingConnection:
        SetStatus("Closing the connection to the server");
        break;
    case kStatusConnectionClosed:
        SetStatus("Connection to the server closed");
        break;
    case kStatusHandleCreated:
        SetStatus("%s", "");
        break;
    case kStatusHandleClosing:
        break;
    case kStatusRequestComplete:
        if (info && infoLength == 8) {
            uint32_t words[2];
            std::memcpy(words, info, sizeof words);
            SetStatus("Request complete, dwResult = %8.8X, dwError = %8.8X", words[0], words[1]);
        } else {
            SetStatus("Request complete");
        }
        break;
    default:
        SetStatus("Unknown status: %d", int(status));
        break;
    }
}

CHttpRetriever::CHttpRetriever(nv::TempFiles& tempFiles, const RetrievalLimits& limits)
    : m_pTempFiles(&tempFiles), m_limits(limits)
{}

CHttpRetriever::~CHttpRetriever()
{
    CloseSession();
}

bool CHttpRetriever::OpenSession(const char* agent, nv::StatusSink* statusWnd)
{
    CloseSession();
    m_pSession = std::make_unique<CRetrievalSession>(agent ? agent : kDefaultUserAgent, m_limits);
    if (!m_pSession->IsOpen()) {
        m_pSession.reset();
        return false;
    }
    m_pSession->m_pStatusWnd = statusWnd;
    return true;
}

void CHttpRetriever::CloseSession()
{
    m_pSession.reset();
}

std::string CHttpRetriever::FormatReadStatus(uint64_t total, long long elapsedSeconds)
{
    std::string text = "Read " + std::to_string(total) + " bytes";
    if (elapsedSeconds > 0)
        text +=
            " (" + nv::FormatFixed(double(total) / double(elapsedSeconds) / 1024.0, 1) + " Kb/s)";
    return text;
}

bool CHttpRetriever::RetrieveToTempFile(const std::string& url, std::string& tempPath,
                                        const char* agent, nv::StatusSink* statusWnd)
{
    tempPath = m_pTempFiles->CreateTempFile("WEB");
    if (tempPath.empty()) {
        m_strError = "ERROR:  Unable to create temporary file " + m_pTempFiles->TempFolder() +
                     "WEBXXXXXX.tmp.";
        return false;
    }
    nv::File file;
    if (!file.Open(tempPath, nv::File::modeCreate | nv::File::modeReadWrite)) {
        m_strError = "ERROR:  Unable to create temporary file " + tempPath + ".";
        return false;
    }
    if (!m_pSession && !OpenSession(agent, statusWnd)) {
        file.Abort();
        m_strError = "ERROR:  Unable to initialize session.";
        return false;
    }
    if (statusWnd)
        m_pSession->m_pStatusWnd = statusWnd;

    CRetrievalSession& session = *m_pSession;
    const std::time_t start = std::time(nullptr);
    uint64_t total = 0;
    const CRetrievalSession::BodyWriter writer = [&](const char* data, size_t size) {
        file.Write(data, size);
        total += size;
        const long long elapsed = (long long)(std::time(nullptr) - start);
        session.SetStatus("%s", FormatReadStatus(total, elapsed).c_str());
    };
    std::string error;
    if (!session.Fetch(url, writer, error)) {
        file.Abort();
        m_strError = error;
        return false;
    }
    session.SetStatus("%s", "");
    try {
        file.Close();
    } catch (const nv::FileError& e) {
        m_strError = LimitErrorText(e.what());
        session.SetStatus("%s", m_strError.c_str());
        return false;
    }
    return true;
}
