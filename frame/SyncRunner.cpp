#include "frame/SyncRunner.h"

#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/process.h>
#include <wx/stdpaths.h>
#include <wx/stream.h>
#include <wx/translation.h>
#include <wx/utils.h>

#include "storage/Database.h"

namespace
{
// Appends what the stream has now to pending, and hands out whole lines.
void Drain(wxInputStream* stream, std::string& pending, const std::function<void(const wxString&)>& onLine)
{
    if (!stream)
        return;
    char buffer[4096];
    while (stream->CanRead())
    {
        stream->Read(buffer, sizeof buffer);
        const size_t n = stream->LastRead();
        if (n == 0)
            break;
        pending.append(buffer, n);
    }
    for (size_t end; (end = pending.find('\n')) != std::string::npos;)
    {
        onLine(wxString::FromUTF8(pending.substr(0, end)));
        pending.erase(0, end + 1);
    }
}
} // namespace

SyncRunner::SyncRunner()
{
    timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { ReadLines(false); });
}

SyncRunner::~SyncRunner()
{
    timer.Stop();
    if (process)
    {
        // The window goes; the sync stops at its next safe point, on its own.
        process->Detach();
        wxProcess::Kill(pid, wxSIGTERM);
    }
}

wxString SyncRunner::ToolPath()
{
    wxString path;
    if (wxGetEnv("CORVALA_DB_TOOL", &path) && wxFileName::IsFileExecutable(path))
        return path;
    const wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
    for (const wxString& folder : {exe.GetPath(), exe.GetPath() + "/../tools", exe.GetPath() + "/../../bin"})
    {
        const wxString candidate = folder + "/corvala-db";
        if (wxFileName::IsFileExecutable(candidate))
            return wxFileName(candidate).GetAbsolutePath();
    }
    wxPathList paths;
    paths.AddEnvList("PATH");
    return paths.FindAbsoluteValidPath("corvala-db");
}

bool SyncRunner::Start(const wxString& account, const std::string& password, bool keepLocal, LineHandler progress,
                       DoneHandler done)
{
    if (process)
        return false;
    const wxString tool = ToolPath();
    if (tool.empty())
    {
        done(false, _("The sync cannot start: the database tool corvala-db is not installed."));
        return false;
    }
    onProgress = std::move(progress);
    onDone = std::move(done);
    pendingOut.clear();
    pendingErr.clear();
    lastOut.clear();
    lastErr.clear();
    const wxString db = Database::Path();
    std::vector<const wchar_t*> argv;
    const wxString args[] = {tool, "--db", db, "sync", account, "--password-stdin", "--progress"};
    for (const wxString& arg : args)
        argv.push_back(arg.wc_str());
    if (keepLocal)
        argv.push_back(L"--keep-local");
    argv.push_back(nullptr);
    process = new wxProcess(this);
    process->Redirect();
    Bind(wxEVT_END_PROCESS, &SyncRunner::OnTerminate, this);
    // The tool speaks the window's language, from the same catalogues.
    wxExecuteEnv env;
    wxGetEnvMap(&env.env);
    if (wxTranslations* translations = wxTranslations::Get())
        env.env["CORVALA_LANGUAGE"] = translations->GetBestTranslation("Corvala");
    env.env["CORVALA_LOCALES"] = wxGetCwd() + "/locales";
    pid = wxExecute(argv.data(), wxEXEC_ASYNC, process, &env);
    if (pid <= 0)
    {
        delete process;
        process = nullptr;
        onDone(false, _("The sync cannot start: the database tool did not run."));
        return false;
    }
    if (wxOutputStream* in = process->GetOutputStream())
    {
        const std::string line = password + "\n";
        in->Write(line.data(), line.size());
    }
    process->CloseOutput();
    timer.Start(200);
    return true;
}

void SyncRunner::Cancel()
{
    if (process)
        wxProcess::Kill(pid, wxSIGTERM);
}

void SyncRunner::ReadLines(bool all)
{
    if (!process)
        return;
    Drain(process->GetInputStream(), pendingOut,
          [this](const wxString& line)
          {
              if (line.StartsWith("progress: "))
              {
                  if (onProgress)
                      onProgress(line.Mid(10));
              }
              else if (!line.empty())
                  lastOut = line;
          });
    Drain(process->GetErrorStream(), pendingErr,
          [this](const wxString& line)
          {
              if (!line.empty())
                  lastErr = line;
          });
    if (all)
    {
        if (!pendingOut.empty())
            lastOut = wxString::FromUTF8(pendingOut);
        if (!pendingErr.empty())
            lastErr = wxString::FromUTF8(pendingErr);
    }
}

void SyncRunner::OnTerminate(wxProcessEvent& event)
{
    timer.Stop();
    ReadLines(true);
    delete process;
    process = nullptr;
    Unbind(wxEVT_END_PROCESS, &SyncRunner::OnTerminate, this);
    const bool ok = event.GetExitCode() == 0;
    wxString line = ok ? lastOut : lastErr;
    if (line.StartsWith("corvala-db: "))
        line = line.Mid(12);
    if (line.empty())
        line = ok ? _("Synced.") : _("The sync stopped without saying why.");
    if (onDone)
        onDone(ok, line);
}
