// Runs a sync in a process of its own (the database tool's "sync"), so that
// the window never waits for the network: the password goes to the tool's
// standard input, its progress lines come back a few times a second, and
// Cancel asks it to stop at its next safe point (SIGTERM).
#pragma once

#include <functional>
#include <memory>

#include <wx/event.h>
#include <wx/string.h>
#include <wx/timer.h>

class wxProcess;
class wxProcessEvent;

class SyncRunner : public wxEvtHandler
{
public:
    using LineHandler = std::function<void(const wxString& line)>;
    // ok, and the tool's last line (its report, or the reason it stopped).
    using DoneHandler = std::function<void(bool ok, const wxString& line)>;

    SyncRunner();
    ~SyncRunner() override;

    // The database tool beside the program (or in the build tree, or on the
    // path); empty when none is found.
    static wxString ToolPath();

    bool Start(const wxString& account, const std::string& password, bool keepLocal, LineHandler onProgress,
               DoneHandler onDone);
    bool IsRunning() const
    {
        return process != nullptr;
    }
    void Cancel();

private:
    void ReadLines(bool all);
    void OnTerminate(wxProcessEvent& event);

    wxProcess* process = nullptr;
    long pid = 0;
    wxTimer timer;
    std::string pendingOut;
    std::string pendingErr;
    wxString lastOut;
    wxString lastErr;
    LineHandler onProgress;
    DoneHandler onDone;
};
