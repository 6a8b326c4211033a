// The ways the storage layer reaches the application: error reports, the
// per-record message pump of the batch operations and the progress of a
// statement that runs long. The storage layer never
// shows windows itself; the application installs functions that do.
#pragma once

#include <functional>
#include <wx/string.h>

using ErrorReporter = std::function<void(const wxString& message)>;
using MessagePump = std::function<void()>;

// Installs the function that shows a database error to the user. An empty
// function restores the default, which writes the message to standard error.
void SetErrorReporter(ErrorReporter reporter);
// Reports one database error. Outside a report scope every failed statement
// is reported; inside one only the scope's first error is.
void ReportError(const wxString& message);

// One user action's reports (every unit of work opens one, UnitOfWork.h):
// while a scope is open, only its first error reaches the user. Scopes
// nest; an inner one is part of the outermost.
void OpenReportScope();
void CloseReportScope();
// Errors held back since the outermost scope opened (for tests and logs).
int SuppressedReports();

// While alive, reports go to the given function instead of the installed
// reporter; the previous one comes back afterwards. A caller that shows a
// failure its own way (a status label, a box with its own parent) takes the
// report over with this, so that the user still gets exactly one message.
class ScopedErrorReporter
{
public:
    explicit ScopedErrorReporter(ErrorReporter reporter);
    ~ScopedErrorReporter();
    ScopedErrorReporter(const ScopedErrorReporter&) = delete;
    ScopedErrorReporter& operator=(const ScopedErrorReporter&) = delete;

private:
    ErrorReporter previous;
};

// Installs the function that handles at most one pending window message.
// Without one, pumping does nothing (headless use).
void SetMessagePump(MessagePump pump);
void PumpOneMessage();

// While alive, the function is called every few thousand steps of any
// statement the storage layer runs (a count over a large book can take a
// quarter of a second in one statement), so that the application can keep
// its window painting meanwhile. The function must not run statements
// itself. The previous one comes back afterwards.
class ScopedStatementProgress
{
public:
    explicit ScopedStatementProgress(std::function<void()> progress);
    ~ScopedStatementProgress();
    ScopedStatementProgress(const ScopedStatementProgress&) = delete;
    ScopedStatementProgress& operator=(const ScopedStatementProgress&) = delete;

private:
    std::function<void()> previous;
};

// Lets a connection (an sqlite3 handle) call the current progress function;
// the storage layer does this for every connection it opens.
void WatchStatementProgress(void* sqliteHandle);
