// What the window benchmark measures with: the heartbeat that finds how
// long the event loop did not answer, the wait for a condition while the
// loop runs, and the watch that says when the windows of a click have
// finished painting.
#pragma once

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <set>
#include <thread>
#include <vector>

#include "bench/support/BenchBook.h"

namespace windowtiming
{
using BenchBook::MonotonicNs;

inline double Ms(int64_t ns)
{
    return ns / 1e6;
}

inline double Median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// ------------------------------------------------------------------ probe

// A heartbeat on the toolkit's main loop: a GLib timeout every millisecond at
// the priority of input events. Between two beats the loop answered nothing;
// the longest such gap inside an action is what the user would feel. It
// wakes neither the toolkit's idle processing nor its event tables, so it
// costs the measured program almost nothing.
class Heartbeat
{
public:
    void Start()
    {
        last = MonotonicNs();
        source = g_timeout_add_full(G_PRIORITY_DEFAULT, 1, &Heartbeat::Beat, this, nullptr);
    }
    void Stop()
    {
        if (source)
            g_source_remove(source);
        source = 0;
    }

    // The longest stretch inside [from, to] during which the loop did not
    // come round; a stretch still open at the end counts up to now.
    double LongestMs(int64_t from, int64_t to) const
    {
        int64_t longest = 0;
        auto overlap = [&](int64_t start, int64_t end)
        { longest = std::max(longest, std::min(end, to) - std::max(start, from)); };
        for (const Gap& gap : gaps)
            overlap(gap.start, gap.end);
        overlap(last, MonotonicNs());
        // Between recorded gaps the loop came round every few milliseconds.
        return Ms(std::max<int64_t>(longest, 0));
    }

private:
    struct Gap
    {
        int64_t start;
        int64_t end;
    };

    static gboolean Beat(gpointer data)
    {
        Heartbeat* self = static_cast<Heartbeat*>(data);
        const int64_t now = MonotonicNs();
        // Only the stretches that matter are kept, so the list stays small.
        if (now - self->last > 3000000)
            self->gaps.push_back({self->last, now});
        self->last = now;
        return G_SOURCE_CONTINUE;
    }

    guint source = 0;
    int64_t last = 0;
    std::vector<Gap> gaps;
};

Heartbeat heartbeat;

// ------------------------------------------------------------- event loop

// Runs the event loop until done() holds (checked every millisecond) or the
// time is up. False on timeout.
inline bool RunUntil(const std::function<bool()>& done, int timeoutMs)
{
    if (done())
        return true;
    struct State
    {
        wxGUIEventLoop loop;
        const std::function<bool()>* done;
        int64_t deadline;
        bool ok = false;
    } state;
    state.done = &done;
    state.deadline = MonotonicNs() + static_cast<int64_t>(timeoutMs) * 1000000;
    auto check = [](gpointer data) -> gboolean
    {
        State* st = static_cast<State*>(data);
        if (!st->loop.IsRunning())
            return G_SOURCE_CONTINUE;
        if ((*st->done)())
        {
            st->ok = true;
            st->loop.Exit();
        }
        else if (MonotonicNs() > st->deadline)
            st->loop.Exit();
        return G_SOURCE_CONTINUE;
    };
    const guint source = g_timeout_add_full(G_PRIORITY_DEFAULT_IDLE, 1, check, &state, nullptr);
    state.loop.Run();
    g_source_remove(source);
    return state.ok;
}

// Watches the paints of chosen windows (and their children). After a paint
// cycle, a GLib idle source marks when the loop was free again.
class PaintWatch
{
public:
    void Watch(wxWindow* target)
    {
        if (!target)
            return;
        std::function<void(wxWindow*)> bindAll = [&](wxWindow* window)
        {
            window->Bind(wxEVT_PAINT,
                         [this, target](wxPaintEvent& event)
                         {
                             event.Skip();
                             painted.insert(target);
                             if (wanted.count(target))
                             {
                                 if (firstPaint == 0)
                                     firstPaint = MonotonicNs();
                                 if (!paintSinceIdle)
                                     g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, &PaintWatch::AfterPaint, this, nullptr);
                                 paintSinceIdle = true;
                             }
                         });
            for (wxWindow* child : window->GetChildren())
                bindAll(child);
        };
        bindAll(target);
    }

    // Forgets earlier paints; from now on the given windows count.
    void Arm(const std::vector<wxWindow*>& targets)
    {
        wanted = std::set<wxWindow*>(targets.begin(), targets.end());
        painted.clear();
        lastIdleAfterPaint = 0;
        firstPaint = 0;
    }

    // Waits until every armed window has painted and none has painted again
    // for quietMs; returns the first idle after the last paint. An action
    // that changes nothing on screen ends when no armed window has painted
    // for unchangedMs; then the result is the moment that was noticed.
    int64_t WaitPainted(int quietMs = 60, int unchangedMs = 400)
    {
        // A real click arrives as a window-system event, which also wakes the
        // toolkit's idle processing; a synthetic one must do that itself.
        wxWakeUpIdle();
        const int64_t armed = MonotonicNs();
        int64_t noticed = 0;
        RunUntil(
            [&]
            {
                const int64_t now = MonotonicNs();
                const int64_t last = lastIdleAfterPaint ? lastIdleAfterPaint : armed;
                if (paintSinceIdle)
                    return false;
                noticed = now;
                if (AllPainted() && lastIdleAfterPaint != 0)
                    return now - last > static_cast<int64_t>(quietMs) * 1000000;
                return now - last > static_cast<int64_t>(unchangedMs) * 1000000;
            },
            120000);
        return lastIdleAfterPaint != 0 ? lastIdleAfterPaint : noticed;
    }

    bool AllPainted() const
    {
        for (wxWindow* window : wanted)
            if (!painted.count(window))
                return false;
        return true;
    }

    int64_t FirstPaint() const
    {
        return firstPaint;
    }

private:
    static gboolean AfterPaint(gpointer data)
    {
        PaintWatch* self = static_cast<PaintWatch*>(data);
        self->paintSinceIdle = false;
        self->lastIdleAfterPaint = MonotonicNs();
        return G_SOURCE_REMOVE;
    }

    std::set<wxWindow*> wanted;
    std::set<wxWindow*> painted;
    bool paintSinceIdle = false;
    int64_t lastIdleAfterPaint = 0;
    int64_t firstPaint = 0;
};
} // namespace windowtiming
