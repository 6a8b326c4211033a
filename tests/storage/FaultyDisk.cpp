#include "tests/storage/FaultyDisk.h"

#include <sqlite3.h>

#include <stdexcept>

namespace
{
sqlite3_vfs* real = nullptr;
sqlite3_vfs faulty;
long long budget = -1;
bool refuseNew = false;
int databaseOpens = 0;
int openDatabases = 0;

struct File
{
    sqlite3_file base;
    sqlite3_file* inner; // lives right after this struct
    bool database;
};

sqlite3_file* Inner(sqlite3_file* f)
{
    return reinterpret_cast<File*>(f)->inner;
}

int Close(sqlite3_file* f)
{
    if (reinterpret_cast<File*>(f)->database)
        --openDatabases;
    return Inner(f)->pMethods->xClose(Inner(f));
}
int Read(sqlite3_file* f, void* buf, int n, sqlite3_int64 off)
{
    return Inner(f)->pMethods->xRead(Inner(f), buf, n, off);
}
int Write(sqlite3_file* f, const void* buf, int n, sqlite3_int64 off)
{
    if (budget >= 0)
    {
        if (budget < n)
        {
            budget = 0;
            return SQLITE_FULL;
        }
        budget -= n;
    }
    return Inner(f)->pMethods->xWrite(Inner(f), buf, n, off);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size)
{
    return Inner(f)->pMethods->xTruncate(Inner(f), size);
}
int Sync(sqlite3_file* f, int flags)
{
    return Inner(f)->pMethods->xSync(Inner(f), flags);
}
int FileSize(sqlite3_file* f, sqlite3_int64* size)
{
    return Inner(f)->pMethods->xFileSize(Inner(f), size);
}
int Lock(sqlite3_file* f, int level)
{
    return Inner(f)->pMethods->xLock(Inner(f), level);
}
int Unlock(sqlite3_file* f, int level)
{
    return Inner(f)->pMethods->xUnlock(Inner(f), level);
}
int CheckReservedLock(sqlite3_file* f, int* out)
{
    return Inner(f)->pMethods->xCheckReservedLock(Inner(f), out);
}
int FileControl(sqlite3_file* f, int op, void* arg)
{
    return Inner(f)->pMethods->xFileControl(Inner(f), op, arg);
}
int SectorSize(sqlite3_file* f)
{
    return Inner(f)->pMethods->xSectorSize(Inner(f));
}
int DeviceCharacteristics(sqlite3_file* f)
{
    return Inner(f)->pMethods->xDeviceCharacteristics(Inner(f));
}
int ShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out)
{
    return Inner(f)->pMethods->xShmMap(Inner(f), region, size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags)
{
    return Inner(f)->pMethods->xShmLock(Inner(f), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f)
{
    Inner(f)->pMethods->xShmBarrier(Inner(f));
}
int ShmUnmap(sqlite3_file* f, int deleteFlag)
{
    return Inner(f)->pMethods->xShmUnmap(Inner(f), deleteFlag);
}
int Fetch(sqlite3_file* f, sqlite3_int64 off, int n, void** out)
{
    // No memory-mapped reads: every byte goes through Read.
    (void)f, (void)off, (void)n;
    *out = nullptr;
    return SQLITE_OK;
}
int Unfetch(sqlite3_file* f, sqlite3_int64 off, void* p)
{
    (void)f, (void)off, (void)p;
    return SQLITE_OK;
}

const sqlite3_io_methods METHODS = {3,
                                    Close,
                                    Read,
                                    Write,
                                    Truncate,
                                    Sync,
                                    FileSize,
                                    Lock,
                                    Unlock,
                                    CheckReservedLock,
                                    FileControl,
                                    SectorSize,
                                    DeviceCharacteristics,
                                    ShmMap,
                                    ShmLock,
                                    ShmBarrier,
                                    ShmUnmap,
                                    Fetch,
                                    Unfetch};

int Open(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags)
{
    File* file = reinterpret_cast<File*>(f);
    file->base.pMethods = nullptr;
    if (refuseNew && !(flags & SQLITE_OPEN_MAIN_DB))
        return SQLITE_CANTOPEN;
    file->inner = reinterpret_cast<sqlite3_file*>(file + 1);
    int rc = real->xOpen(real, name, file->inner, flags, outFlags);
    if (rc == SQLITE_OK && file->inner->pMethods)
    {
        file->base.pMethods = &METHODS;
        file->database = (flags & SQLITE_OPEN_MAIN_DB) != 0;
        if (file->database)
        {
            ++databaseOpens;
            ++openDatabases;
        }
    }
    return rc;
}
int Delete(sqlite3_vfs*, const char* name, int syncDir)
{
    return real->xDelete(real, name, syncDir);
}
int Access(sqlite3_vfs*, const char* name, int flags, int* out)
{
    return real->xAccess(real, name, flags, out);
}
int FullPathname(sqlite3_vfs*, const char* name, int n, char* out)
{
    return real->xFullPathname(real, name, n, out);
}
} // namespace

FaultyDisk::FaultyDisk()
{
    sqlite3_initialize();
    real = sqlite3_vfs_find(nullptr);
    if (!real)
        throw std::runtime_error("no SQLite file system");
    faulty = *real;
    faulty.zName = "corvala-faulty";
    faulty.szOsFile = static_cast<int>(sizeof(File)) + real->szOsFile;
    faulty.pNext = nullptr;
    faulty.xOpen = Open;
    faulty.xDelete = Delete;
    faulty.xAccess = Access;
    faulty.xFullPathname = FullPathname;
    budget = -1;
    refuseNew = false;
    databaseOpens = 0;
    openDatabases = 0;
    sqlite3_vfs_register(&faulty, 1);
}

FaultyDisk::~FaultyDisk()
{
    sqlite3_vfs_unregister(&faulty);
    sqlite3_vfs_register(real, 1);
}

void FaultyDisk::FillAfter(long long bytes)
{
    budget = bytes;
}

void FaultyDisk::RefuseNewFiles(bool refuse)
{
    refuseNew = refuse;
}

int FaultyDisk::DatabaseOpens() const
{
    return databaseOpens;
}

int FaultyDisk::OpenDatabases() const
{
    return openDatabases;
}
