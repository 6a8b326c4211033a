// Entry point of the headless test executables: the base library only.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

#include <string>

namespace
{
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_string().c_str(), line)
        << "wx assert in " << func.utf8_string() << ": " << cond.utf8_string() << " " << msg.utf8_string();
}
} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    wxInitializer init(argc, argv);
    if (!init.IsOk())
        return 2;
    wxSetAssertHandler(FailOnAssert);
    return RUN_ALL_TESTS();
}
