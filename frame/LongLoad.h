// Keeps the window alive while a list is filled from a query that runs long
// (the recent contacts of half a year in a large address book) or from many
// queries (a count per tag). Once the
// filling has taken longer than a click should, it shows the wait cursor,
// swallows the user's clicks, keys and commands (nothing may use the
// database while the query still reads it), and lets one pending window
// message through every few milliseconds, so the window keeps painting and
// answering without turning grey.
#pragma once

#include <memory>

#include <wx/stopwatch.h>

class wxBusyCursor;

class wxWindow;

class LongLoad
{
public:
    // rowsPerCheck: how many Ticks go by between two looks at the clock;
    // more for cheap rows, 1 for steps that each take a while.
    explicit LongLoad(unsigned rowsPerCheck = 64);
    ~LongLoad();

    // Call once per row read (or step done).
    void Tick();

    // True while a load lets messages through: anything that would use the
    // database from an idle or pending event must wait.
    static bool Running();

    // A window whose typing goes on during a load (it must not use the
    // database until the load is over); while it lives.
    static void KeepTyping(wxWindow* window, bool keep = true);

private:
    class InputFilter;

    wxStopWatch watch;
    unsigned rowsPerCheck;
    unsigned rows = 0;
    long lastPump = 0;
    std::unique_ptr<wxBusyCursor> busy;
    std::unique_ptr<InputFilter> filter;
};
