#include "tests/support/GuiTest.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/filefn.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#ifndef CORVALA_SOURCE_DIR
#error "CORVALA_SOURCE_DIR must name the source tree"
#endif

bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    wxStopWatch watch;
    while (!condition())
    {
        if (watch.Time() > timeoutMs)
            return false;
        ProcessPending();
        wxMilliSleep(5);
    }
    return true;
}

void ProcessPending()
{
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (loop)
    {
        while (loop->Pending())
            loop->Dispatch();
    }
    if (wxTheApp)
        wxTheApp->ProcessIdle();
}

CorvalaGuiTest::CorvalaGuiTest()
{
    // The windows load img/ relative to the working directory.
    wxString img = wxString(CORVALA_SOURCE_DIR) + "/resources/img";
    wxSymlink(img, dir.Path() + "/img");
}

CorvalaGuiTest::~CorvalaGuiTest() = default;
