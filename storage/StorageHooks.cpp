#include "storage/StorageHooks.h"

#include <cstdio>

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
    if (Reporter())
        Reporter()(message);
    else
        std::fprintf(stderr, "Corvala: %s\n", message.utf8_string().c_str());
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
