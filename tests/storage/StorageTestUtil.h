// Seeding helpers and recording observers shared by the storage tests.
#pragma once

#include <wx/string.h>

#include <string>
#include <vector>

#include "storage/ContactObserver.h"
#include "storage/HistoryObserver.h"
#include "storage/TagObserver.h"
#include "tests/support/TestEnv.h"

// Inserts a contact row directly (another tool's write); returns its id.
int SeedContact(const TempWorkDir& dir, const wxString& lastAlpha, const wxString& first = "Ann", int sex = 1,
                const wxString& birthday = "1980-05-05 00:00:00");
// n contacts whose last_name_alpha sorts as their number: "N0000" ... in one transaction.
void SeedContacts(const TempWorkDir& dir, int n);

// Appends its name to a shared log on every notification.
class LoggingObserver : public ContactObserver, public TagObserver, public HistoryObserver
{
public:
    LoggingObserver(const std::string& name, std::vector<std::string>& log) : name(name), log(log) {}
    void OnContactChanged() override
    {
        log.push_back(name);
    }
    void OnTagChanged() override
    {
        log.push_back(name + ":tag");
    }
    void OnHistoryChanged() override
    {
        log.push_back(name + ":history");
    }

private:
    std::string name;
    std::vector<std::string>& log;
};
