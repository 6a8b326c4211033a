// One user action's worth of database work: a search with its per-record
// look-ups, a save, a batch, a statistics refresh, the start-up load. While a
// unit is alive the storage layer reports at most one error, the first, so a
// failing action gives the user one message instead of one per statement,
// and every statement runs on one connection, opened by the first statement
// and closed when the unit ends: between actions no connection is open and
// another program may write the file. Units nest; an inner unit is part of
// the outermost one.
#pragma once

#include <wx/string.h>

class wxSQLite3Database;
class wxSQLite3Statement;

class UnitOfWork
{
public:
    UnitOfWork();
    ~UnitOfWork();
    UnitOfWork(const UnitOfWork&) = delete;
    UnitOfWork& operator=(const UnitOfWork&) = delete;

    static bool IsActive();

    // The unit's connection (a unit must be alive). The first call opens the
    // database file, and throws the wrapper's exception when that fails; the
    // caller reports it. Every later call of the same unit then returns null
    // without trying again: the failure has been reported once already.
    static wxSQLite3Database* Connection();
    // Why the unit's connection could not be opened; empty while it could.
    static const wxString& OpenError();

    // A statement of the unit's open connection, prepared once per unit for
    // a text that is run many times (the insert of every record of a
    // batch). It comes back reset and without bindings; preparing throws the
    // wrapper's exception.
    static wxSQLite3Statement& Prepared(const wxString& sql);
};
