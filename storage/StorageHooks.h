// The two ways the storage layer reaches the application: error reports and
// the per-record message pump of the batch operations. The storage layer never
// shows windows itself; the application installs functions that do.
#pragma once

#include <functional>
#include <wx/string.h>

using ErrorReporter = std::function<void(const wxString& message)>;
using MessagePump = std::function<void()>;

// Installs the function that shows a database error to the user. An empty
// function restores the default, which writes the message to standard error.
void SetErrorReporter(ErrorReporter reporter);
// Reports one database error (exactly one call per failed statement).
void ReportError(const wxString& message);

// Installs the function that handles at most one pending window message.
// Without one, pumping does nothing (headless use).
void SetMessagePump(MessagePump pump);
void PumpOneMessage();
