// Helpers for tests that build real windows (run under xvfb-run).
#pragma once

#include <functional>

#include <wx/string.h>
#include <wx/window.h>

#include "tests/support/TestEnv.h"

// Processes pending events until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 3000);
// Processes whatever events are pending now.
void ProcessPending();

// Finds a descendant window by its window name, or null.
template <typename T = wxWindow> T* FindChild(wxWindow* parent, const wxString& name)
{
    return dynamic_cast<T*>(wxWindow::FindWindowByName(name, parent));
}

// Fixture for GUI tests: temporary working directory and configuration
// store, plus the pictures and template the windows load.
class CorvalaGuiTest : public CorvalaTest
{
protected:
    CorvalaGuiTest();
    ~CorvalaGuiTest() override;
};
