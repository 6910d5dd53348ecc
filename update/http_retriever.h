// Fetching one URL over HTTP or HTTPS into a new temporary file, reporting the stages of the
// transfer as status texts. One session (one connection cache) serves every fetch of a
// retriever. Only http and https are spoken, redirects included, and TLS peers are verified.
// A reply with status 400 or above is a failure.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace nv {
class StatusSink;
class TempFiles;
} // namespace nv

// Bounds of one transfer. The defaults suit the update check.
struct RetrievalLimits
{
    long connectTimeoutSeconds = 30; // name resolution and connection
    long stallSeconds = 60;          // a transfer that receives nothing for this long aborts
    long maxRedirects = 5;
    uint64_t maxBodyBytes = uint64_t(1) << 30; // a longer body aborts the transfer
};

// Status codes handed to CRetrievalSession::OnStatusCallback.
enum RetrievalStatus : uint32_t {
    kStatusResolvingName = 10,
    kStatusNameResolved = 11,
    kStatusConnectingToServer = 20,
    kStatusConnectedToServer = 21,
    kStatusSendingRequest = 30,
    kStatusRequestSent = 31,
    kStatusReceivingResponse = 40,
    kStatusResponseReceived = 41,
    kStatusClosingConnection = 50,
    kStatusConnectionClosed = 51,
    kStatusHandleCreated = 60,
    kStatusHandleClosing = 70,
    kStatusRequestComplete = 100,
};

// The name requests carry when the caller gives no user-agent text.
extern const char* const kDefaultUserAgent;

// An HTTP client session: a connection cache, the user-agent text it was opened with and the
// transfer bounds, plus the status-text machinery.
class CRetrievalSession
{
public:
    CRetrievalSession(const std::string& agent, const RetrievalLimits& limits);
    virtual ~CRetrievalSession();
    CRetrievalSession(const CRetrievalSession&) = delete;
    CRetrievalSession& operator=(const CRetrievalSession&) = delete;

    // False when the HTTP client could not be set up.
    bool IsOpen() const { return m_hSession != nullptr; }
    const std::string& Agent() const { return m_strAgent; }

    // Receives the body in pieces of at most 4095 bytes; may throw to abort the transfer
    // (the exception's text becomes the error).
    using BodyWriter = std::function<void(const char* data, size_t size)>;

    // Fetches url (following redirects) and hands the body to writer. True when the whole body
    // of a reply with a status below 400 arrived; otherwise false with error set to the reason
    // (at most 255 characters), which also becomes the status text.
    bool Fetch(const std::string& url, const BodyWriter& writer, std::string& error);

    // Formats a status text printf-style (at most 511 characters), keeps it in
    // m_strLastStatus and shows it in m_pStatusWnd when there is one.
    void SetStatus(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Turns a transfer notification into a status text. info is the host name for the name
    // notifications and two 32-bit words (result, error) for kStatusRequestComplete.
    virtual void OnStatusCallback(uintptr_t context, uint32_t status, const void* info,
                                  uint32_t infoLength);

    nv::StatusSink* m_pStatusWnd = nullptr; // not owned; may be null
    std::string m_strLastStatus;

private:
    struct Transfer;
    friend struct SessionCallbacks;

    void* m_hSession = nullptr;      // the HTTP client handle
    Transfer* m_pTransfer = nullptr; // the fetch in progress, if any
    std::string m_strAgent;
    RetrievalLimits m_limits;
};

// Fetches URLs into temporary files "WEB....tmp" of the system's temporary folder.
class CHttpRetriever
{
public:
    explicit CHttpRetriever(nv::TempFiles& tempFiles, const RetrievalLimits& limits = {});
    virtual ~CHttpRetriever();
    CHttpRetriever(const CHttpRetriever&) = delete;
    CHttpRetriever& operator=(const CHttpRetriever&) = delete;

    // Creates a new temporary file, puts its path into tempPath (also when the call fails
    // afterwards) and streams the body of url into it. agent is used only when this call
    // opens the session (null: kDefaultUserAgent); statusWnd, when not null, becomes the
    // session's status window. True when the body has been stored; false with m_strError set
    // otherwise, also when the server answered with a status of 400 or above. The temporary file is
    // left to the caller in every case, possibly partly written.
    virtual bool RetrieveToTempFile(const std::string& url, std::string& tempPath,
                                    const char* agent = nullptr,
                                    nv::StatusSink* statusWnd = nullptr);

    // Replaces the session by a new one; true when the new one is usable.
    bool OpenSession(const char* agent, nv::StatusSink* statusWnd);
    // Closes the session, if there is one.
    void CloseSession();

    // Status text of a transfer that has read total bytes in elapsedSeconds whole seconds.
    static std::string FormatReadStatus(uint64_t total, long long elapsedSeconds);

    std::unique_ptr<CRetrievalSession> m_pSession;
    std::string m_strError;

private:
    nv::TempFiles* m_pTempFiles;
    RetrievalLimits m_limits;
};
