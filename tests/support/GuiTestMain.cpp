// Entry point of the GUI test executables: a real application object with an
// active event loop, so that windows, dialogs and events behave as in the
// program. Toolkit asserts become test failures.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>

namespace
{
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_string().c_str(), line)
        << "wx assert in " << func.utf8_string() << ": " << cond.utf8_string() << " " << msg.utf8_string();
}

class TestApp : public wxApp
{
public:
    bool OnInit() override
    {
        wxInitAllImageHandlers();
        return true;
    }
};
} // namespace

wxIMPLEMENT_APP_NO_MAIN(TestApp);

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv))
        return 2;
    wxSetAssertHandler(FailOnAssert);
    if (!wxTheApp->CallOnInit())
        return 2;
    int result;
    {
        // An active loop lets tests dispatch pending events and run modal
        // dialogs the way the program does.
        wxEventLoop loop;
        wxEventLoopActivator activate(&loop);
        result = RUN_ALL_TESTS();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
