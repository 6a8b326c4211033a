// Every test runs in a fresh temporary working directory with its own
// data/Corvala.s3db and a configuration store on a temporary file; nothing
// touches the user's home or the source tree.
#pragma once

#include <gtest/gtest.h>
#include <wx/string.h>

#include <vector>

class wxSQLite3Database;

// Collects the reports of the storage layer instead of showing them.
class ErrorRecorder
{
public:
    ErrorRecorder();
    ~ErrorRecorder();
    std::vector<wxString> messages;
};

class TempWorkDir
{
public:
    // withSchema: create data/Corvala.s3db with the four tables.
    explicit TempWorkDir(bool withSchema = true);
    ~TempWorkDir();

    const wxString& Path() const
    {
        return path;
    }
    wxString DbPath() const;
    // Runs SQL on a separate connection (to seed or inspect the database).
    void Exec(const wxString& sql) const;
    // First column of the first row, as text ("" when no row).
    wxString Scalar(const wxString& sql) const;
    int ScalarInt(const wxString& sql) const;

private:
    wxString path;
    wxString oldCwd;
};

// Base fixture: temporary working directory, temporary configuration store,
// error recorder.
class CorvalaTest : public ::testing::Test
{
protected:
    CorvalaTest();
    ~CorvalaTest() override;

    TempWorkDir dir;
    ErrorRecorder errors;
};
