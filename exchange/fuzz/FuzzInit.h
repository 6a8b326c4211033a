// What every fuzzing target of the program starts with: the base library
// initialised for the whole run, and a toolkit assertion (a wrong call of
// the reader's, so a bug) counted as a crash instead of a console message.
#pragma once

#include <wx/init.h>

#include <cstdio>
#include <cstdlib>

inline void AbortOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                          const wxString& msg)
{
    std::fprintf(stderr, "wx assert %s:%d in %s: %s %s\n", static_cast<const char*>(file.utf8_str()), line,
                 static_cast<const char*>(func.utf8_str()), static_cast<const char*>(cond.utf8_str()),
                 static_cast<const char*>(msg.utf8_str()));
    std::abort();
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!wxInitialize())
        std::abort();
    wxSetAssertHandler(AbortOnAssert);
    return 0;
}
