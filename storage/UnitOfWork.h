// One user action's worth of database work: a search with its per-record
// look-ups, a save, a batch, a statistics refresh, the start-up load. While a
// unit is alive the storage layer reports at most one error, the first, so a
// failing action gives the user one message instead of one per statement.
// Units nest; an inner unit is part of the outermost one.
#pragma once

class UnitOfWork
{
public:
    UnitOfWork();
    ~UnitOfWork();
    UnitOfWork(const UnitOfWork&) = delete;
    UnitOfWork& operator=(const UnitOfWork&) = delete;

    static bool IsActive();

    // Called by the reporting function for each error: true when this one
    // may reach the user (no unit is alive, or it is the unit's first).
    static bool ClaimReport();

    // Errors held back since the outermost unit began (for tests and logs).
    static int SuppressedReports();
};
