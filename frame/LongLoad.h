// Keeps the window alive while a list is filled from a query that runs long
// (the recent contacts of half a year in a large address book). Once the
// filling has taken longer than a click should, it shows the wait cursor,
// blocks input, since nothing may start a write while the query still reads
// the database, and lets one pending window message through every few
// milliseconds, so the window keeps painting and answering.
#pragma once

#include <memory>

#include <wx/stopwatch.h>

class BatchInputBlocker;
class wxBusyCursor;

class LongLoad
{
public:
    LongLoad();
    ~LongLoad();

    // Call once per row read.
    void Tick();

private:
    wxStopWatch watch;
    unsigned rows = 0;
    long lastPump = 0;
    std::unique_ptr<wxBusyCursor> busy;
    std::unique_ptr<BatchInputBlocker> block;
};
