#include "storage/StorageHooks.h"

#include <cstdio>

#include <sqlite3.h>

namespace
{
ErrorReporter& Reporter()
{
    static ErrorReporter reporter;
    return reporter;
}

MessagePump& Pump()
{
    static MessagePump pump;
    return pump;
}

std::function<void()>& Progress()
{
    static std::function<void()> progress;
    return progress;
}

int scopeDepth = 0;
bool scopeReported = false;
int suppressedReports = 0;

// Whether this report may reach the user: no scope is open, or it is the
// scope's first.
bool ClaimReport()
{
    if (scopeDepth == 0)
        return true;
    if (scopeReported)
    {
        ++suppressedReports;
        return false;
    }
    scopeReported = true;
    return true;
}

// Virtual machine steps between two calls: a few tens of microseconds.
const int PROGRESS_STEPS = 1000;

int OnStatementProgress(void*)
{
    // Never interrupts the statement; a call from within the function
    // (a statement it should not have run) calls nothing.
    static bool inside = false;
    if (!inside && Progress())
    {
        inside = true;
        Progress()();
        inside = false;
    }
    return 0;
}
} // namespace

void SetErrorReporter(ErrorReporter reporter)
{
    Reporter() = std::move(reporter);
}

void ReportError(const wxString& message)
{
    if (!ClaimReport())
        return;
    if (Reporter())
        Reporter()(message);
    else
        std::fprintf(stderr, "Corvala: %s\n", message.utf8_string().c_str());
}

void OpenReportScope()
{
    if (scopeDepth++ == 0)
    {
        scopeReported = false;
        suppressedReports = 0;
    }
}

void CloseReportScope()
{
    if (--scopeDepth == 0)
        scopeReported = false;
}

int SuppressedReports()
{
    return suppressedReports;
}

ScopedErrorReporter::ScopedErrorReporter(ErrorReporter reporter) : previous(std::move(Reporter()))
{
    Reporter() = std::move(reporter);
}

ScopedErrorReporter::~ScopedErrorReporter()
{
    Reporter() = std::move(previous);
}

void SetMessagePump(MessagePump pump)
{
    Pump() = std::move(pump);
}

void PumpOneMessage()
{
    if (Pump())
        Pump()();
}

ScopedStatementProgress::ScopedStatementProgress(std::function<void()> progress) : previous(std::move(Progress()))
{
    Progress() = std::move(progress);
}

ScopedStatementProgress::~ScopedStatementProgress()
{
    Progress() = std::move(previous);
}

void WatchStatementProgress(void* sqliteHandle)
{
    if (sqliteHandle)
        sqlite3_progress_handler(static_cast<sqlite3*>(sqliteHandle), PROGRESS_STEPS, &OnStatementProgress, nullptr);
}
