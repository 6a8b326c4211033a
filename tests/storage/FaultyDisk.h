// A disk under SQLite that runs full or refuses to create files on demand:
// the disk-full and read-only-folder failures in a test, without needing
// either. While alive it is SQLite's default file system, so every
// connection the program opens goes through it, and it counts them.
#pragma once

class FaultyDisk
{
public:
    FaultyDisk();
    ~FaultyDisk();
    FaultyDisk(const FaultyDisk&) = delete;
    FaultyDisk& operator=(const FaultyDisk&) = delete;

    // Writes fail with "database or disk is full" once this many more bytes
    // have been written (to any file); negative: never.
    void FillAfter(long long bytes);
    // New journal files cannot be created, as in a folder without write
    // permission.
    void RefuseNewFiles(bool refuse);

    // Database files (not journals) opened since this disk was put in, and
    // how many of them are open now.
    int DatabaseOpens() const;
    int OpenDatabases() const;
};
