// Diagnostic log.
#include "support/log.h"

#include "platform/app_paths.h"
#include "platform/c_numbers.h"
#include "support/paths.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

int64_t CLogClock::s_frequency = 0;
int64_t CLogClock::s_overhead = 0;

namespace {

constexpr int kLockTimeoutMs = 10000;
constexpr size_t kMessageBuffer = 512;

#ifdef _WIN32
constexpr const char* kLineEnd = "\r\n";
#else
constexpr const char* kLineEnd = "\n";
#endif

// The process-wide clock guards its start value with a mutex; a wait that times out goes on
// without it.
class LockedLogClock : public CLogClock
{
public:
    LockedLogClock()
    {
        Start(false);
        Start(false);
    }
    void Lock() override
    {
        m_locked = m_mutex.try_lock_for(std::chrono::milliseconds(kLockTimeoutMs));
    }
    void Unlock() override
    {
        if (m_locked)
            m_mutex.unlock();
        m_locked = false;
    }

    // Starts the clock when it has not been started yet.
    void StartOnce()
    {
        Lock();
        if (m_start <= 0)
            m_start = ReadCounter();
        Unlock();
    }

private:
    std::timed_mutex m_mutex;
    bool m_locked = false;
};

struct LogState
{
    std::string path;
    bool firstUse = true;
    bool counterAvailable = false;
    LockedLogClock clock;
};

LogState& State()
{
    static LogState state;
    return state;
}

// Lines come from several threads (images are decoded on workers): one writes at a time, so
// that none lands on another's place at the end of the file.
std::mutex& WriteMutex()
{
    static std::mutex mutex;
    return mutex;
}

void WorkOutCounter(LogState& s)
{
    s.firstUse = false;
    s.counterAvailable = CLogClock::Frequency() >= 2;
}

// The log sits beside the executable and is named after it. An installed copy keeps it in the
// user's state folder instead ($XDG_STATE_HOME/Nulo_Vandrel/), which is made when missing.
void EnsurePath(LogState& s)
{
    const std::string executable = nv::ApplicationPath();
    ReplaceExtension(executable, ".LOG", s.path);
    if (!nv::IsInstalledCopy())
        return;
    std::string title;
    GetPathTitle(executable, title);
    const std::string stateFolder = nv::UserStateFolder() + "Nulo_Vandrel/";
    // Folders the program makes for the user are private to them.
    for (size_t slash = stateFolder.find('/', 1); slash != std::string::npos;
         slash = stateFolder.find('/', slash + 1))
        ::mkdir(stateFolder.substr(0, slash).c_str(), 0700);
    s.path = stateFolder + title + ".LOG";
}

void WriteLine(const char* message)
{
    const std::lock_guard<std::mutex> lock(WriteMutex());
    LogState& s = State();
    if (s.firstUse)
        WorkOutCounter(s);
    if (s.counterAvailable)
        s.clock.StartOnce();
    EnsurePath(s);

    const int fd = ::open(s.path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return;

    double elapsed;
    if (s.counterAvailable) {
        // ElapsedSeconds holds the clock mutex while it copies the start value.
        elapsed = s.clock.ElapsedSeconds();
    } else {
        elapsed = double(std::clock() * 1000 / CLOCKS_PER_SEC) * 0.001;
    }

    char date[128] = "";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&now, &local) == nullptr ||
        std::strftime(date, sizeof date, "%m/%d/%Y %H:%M:%S", &local) == 0)
        date[0] = '\0';

    std::string line = "(";
    line += date;
    line += "  ";
    line += nv::FormatFixed(elapsed, 9);
    line += ") ";
    line += message;
    line += kLineEnd;
    if (::lseek(fd, 0, SEEK_END) >= 0) {
        const char* p = line.data();
        size_t left = line.size();
        while (left > 0) {
            const ssize_t n = ::write(fd, p, left);
            if (n <= 0)
                break;
            p += n;
            left -= size_t(n);
        }
    }
    ::close(fd);
}

} // namespace

CLogClock::CLogClock() = default;

int64_t CLogClock::ReadCounter()
{
    using namespace std::chrono;
    // Offset by one so that a reading is never 0, which means "not started".
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count() + 1;
}

void CLogClock::Start(bool startNow)
{
    if (s_frequency == 0) {
        s_frequency = 1000000000; // the counter counts nanoseconds
        m_start = 0;
        s_overhead = 0;
        Lock();
        m_start = ReadCounter();
        Unlock();
        Stop();
        s_overhead = m_start;
    }
    m_start = 0;
    if (startNow) {
        Lock();
        m_start = ReadCounter();
        Unlock();
    }
}

void CLogClock::Stop()
{
    Lock();
    if (m_start > 0) {
        const int64_t value = m_start - ReadCounter();
        m_start = value > s_overhead ? 0 : value - s_overhead;
    }
    Unlock();
}

double CLogClock::ElapsedSeconds()
{
    CLogClock copy;
    Lock();
    copy.m_start = m_start;
    Unlock();
    copy.Stop();
    const double ticks = -double(copy.m_start);
    return ticks > 0 ? ticks / double(s_frequency ? s_frequency : 1) : 0.0;
}

void LogReset()
{
    const std::lock_guard<std::mutex> lock(WriteMutex());
    LogState& s = State();
    EnsurePath(s);
    ::unlink(s.path.c_str());
    if (s.firstUse)
        WorkOutCounter(s);
    if (s.counterAvailable)
        s.clock.StartOnce();
}

// Formats into one 512-byte buffer (longer messages are cut) and appends the result as it
// stands, so a '%' that arrives through an argument is written unchanged.
static void WriteFormatted(const char* format, va_list args)
{
    char message[kMessageBuffer];
    std::vsnprintf(message, sizeof message, format, args);
    WriteLine(message);
}

void LogWrite(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WriteFormatted(format, args);
    va_end(args);
}

void LogWriteText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WriteFormatted(format, args);
    va_end(args);
}

const char* LogPath()
{
    const std::lock_guard<std::mutex> lock(WriteMutex());
    LogState& s = State();
    EnsurePath(s);
    return s.path.c_str();
}
