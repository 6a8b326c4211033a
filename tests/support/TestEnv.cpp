#include "tests/support/TestEnv.h"

#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/wxsqlite3.h>

#include <cstdlib>

#include "storage/StorageHooks.h"
#include "tools/DatabaseBuilder.h"

ErrorRecorder::ErrorRecorder()
{
    SetErrorReporter([this](const wxString& message) { messages.push_back(message); });
}

ErrorRecorder::~ErrorRecorder()
{
    SetErrorReporter(ErrorReporter());
}

TempWorkDir::TempWorkDir(bool withSchema)
{
    char templ[] = "/tmp/corvala-test-XXXXXX";
    const char* made = mkdtemp(templ);
    if (!made)
        throw std::runtime_error("cannot create a temporary directory");
    path = wxString::FromUTF8(made);
    oldCwd = wxGetCwd();
    wxSetWorkingDirectory(path);
    if (withSchema)
    {
        wxString error;
        if (!DatabaseBuilder::Create(DbPath(), false, &error))
            throw std::runtime_error(std::string("cannot create the test database: ") + error.utf8_string());
    }
}

TempWorkDir::~TempWorkDir()
{
    wxSetWorkingDirectory(oldCwd);
    wxFileName::Rmdir(path, wxPATH_RMDIR_RECURSIVE);
}

wxString TempWorkDir::DbPath() const
{
    return path + wxFILE_SEP_PATH + "data" + wxFILE_SEP_PATH + "Corvala.s3db";
}

void TempWorkDir::Exec(const wxString& sql) const
{
    wxSQLite3Database db;
    db.Open(DbPath());
    db.ExecuteUpdate(sql);
    db.Close();
}

wxString TempWorkDir::Scalar(const wxString& sql) const
{
    wxSQLite3Database db;
    db.Open(DbPath());
    wxString value;
    {
        wxSQLite3ResultSet rs = db.ExecuteQuery(sql);
        if (rs.NextRow())
            value = rs.GetAsString(0);
        rs.Finalize();
    }
    db.Close();
    return value;
}

int TempWorkDir::ScalarInt(const wxString& sql) const
{
    long value = 0;
    Scalar(sql).ToLong(&value);
    return static_cast<int>(value);
}

CorvalaTest::CorvalaTest()
{
    // A configuration store on a temporary file inside the test directory.
    wxFileConfig* config =
        new wxFileConfig("Corvala", "Marrowind", dir.Path() + "/test.conf", wxEmptyString, wxCONFIG_USE_LOCAL_FILE);
    delete wxConfigBase::Set(config);
}

CorvalaTest::~CorvalaTest()
{
    delete wxConfigBase::Set(nullptr);
}
