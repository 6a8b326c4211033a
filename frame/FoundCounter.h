// Counts what the find box found, off the window thread: a find that
// finds much of a large book shows its page at once, and its total takes
// a read of the whole find index. The count runs on a connection of its
// own, a range of rows at a time, so that a write of the window waits
// for one range at most. A new count stops the one running without
// waiting for it; the counter's end waits for every count it started.
#pragma once

#include <wx/string.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class wxEvtHandler;

class FoundCounter
{
public:
    using Done = std::function<void(int ticket, int total, const std::vector<int>& page)>;
    // done runs on the window thread, through owner's queue (so not after
    // owner is gone), with the count's ticket and total, and the page's ids
    // when it sorted them.
    FoundCounter(wxEvtHandler& owner, Done done);
    ~FoundCounter();
    FoundCounter(const FoundCounter&) = delete;
    FoundCounter& operator=(const FoundCounter&) = delete;

    // Counts what a find's total is counted from (FindIndex::CountRows)
    // in the book at path, or, when sorted is not empty, reads the page and
    // total it selects (FindIndex::SortedPage); stops the count running
    // before.
    void Start(int ticket, const wxString& path, const wxString& counted, const wxString& sorted);
    // Stops every count; returns when they are over.
    void Stop();

private:
    struct Count
    {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> stop = std::make_shared<std::atomic<bool>>(false);
        std::shared_ptr<std::atomic<bool>> over = std::make_shared<std::atomic<bool>>(false);
    };
    wxEvtHandler& owner;
    Done done;
    std::vector<Count> counts;
};
