#include "storage/StorageHooks.h"

#include <cstdio>

#include "storage/UnitOfWork.h"

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
} // namespace

void SetErrorReporter(ErrorReporter reporter)
{
    Reporter() = std::move(reporter);
}

void ReportError(const wxString& message)
{
    if (!UnitOfWork::ClaimReport())
        return;
    if (Reporter())
        Reporter()(message);
    else
        std::fprintf(stderr, "Corvala: %s\n", message.utf8_string().c_str());
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
