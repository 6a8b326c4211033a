#include "tests/support/GuiTest.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/filefn.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <unistd.h>

#if !defined(CORVALA_SOURCE_DIR) || !defined(CORVALA_LOCALES_DIR)
#error "CORVALA_SOURCE_DIR and CORVALA_LOCALES_DIR must name the source tree and the built catalogues"
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
    {
        wxTheApp->ProcessPendingEvents(); // what other threads queued too
        wxTheApp->ProcessIdle();
    }
}

CorvalaGuiTest::CorvalaGuiTest()
{
    // The windows load img/ relative to the working directory.
    wxString img = wxString(CORVALA_SOURCE_DIR) + "/resources/img";
    if (symlink(img.fn_str(), (dir.Path() + "/img").fn_str()) != 0)
        ADD_FAILURE() << "cannot link img/ into the test directory";
    // So do the catalogues; a test that sets up a language finds them there.
    if (symlink(CORVALA_LOCALES_DIR, (dir.Path() + "/locales").fn_str()) != 0)
        ADD_FAILURE() << "cannot link locales/ into the test directory";
}

CorvalaGuiTest::~CorvalaGuiTest() = default;
