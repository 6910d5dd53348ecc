// The diagnostic log: a text file beside the executable (its name with the extension .LOG; for
// an installed copy in $XDG_STATE_HOME/Nulo_Vandrel/), emptied at every start and appended to
// one line at a time. Each line carries the local date and time
// and the seconds elapsed since start-up. Every failure is silent. Any thread may log: lines
// are written one at a time.
#pragma once

#include <cstdint>

// Elapsed-time clock on the system's monotonic counter.
class CLogClock
{
public:
    CLogClock();
    virtual ~CLogClock() = default;

    // Starts the clock; with startNow false it is only reset (not started).
    void Start(bool startNow);
    // Turns the start value into the negative elapsed tick count, less the calibrated overhead.
    void Stop();
    // Seconds since the start, never negative.
    double ElapsedSeconds();
    bool IsStarted() const { return m_start > 0; }

    virtual void Lock() {}
    virtual void Unlock() {}

    // Ticks per second of the counter (1 when the platform reports none).
    static int64_t Frequency() { return s_frequency; }

protected:
    static int64_t ReadCounter();

    int64_t m_start = 0;
    static int64_t s_frequency;
    static int64_t s_overhead;
};

// Deletes the previous log and starts the log clock.
void LogReset();
// Appends one line formatted printf-style (cut to 511 characters).
void LogWrite(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Formats the message first, then writes it as literal text, so that a '%' inside an
// argument reaches the log unchanged.
void LogWriteText(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The path of the log file.
const char* LogPath();
