// The database tool's sync commands, for scripts and cron:
//
//   corvala-db [--db FILE] account add NAME URL USER [--book URL] [--ca FILE]
//   corvala-db [--db FILE] account list
//   corvala-db [--db FILE] account remove NAME
//   corvala-db [--db FILE] sync [NAME] [--password-stdin] [--keep-local] [--progress] [--ca FILE]
//
// "account add" reads the password from standard input, finds the address
// book and keeps the password in the desktop keyring (never in the book).
// A sync prints its one-line report last and exits 0, or exits 1 with a
// one-line reason on standard error. With --progress it prints a line per
// step before that ("progress: ..."), which the window shows.
#pragma once

#include <vector>

#include <wx/string.h>

namespace SyncCommands
{
// The book the program opens: data/Corvala.s3db below the current folder
// when there is one, else the one the launchers use ($CORVALA_HOME, else
// ~/.local/share/Corvala as installed, else ~/Corvala as scripts/run.sh).
wxString DefaultBook();
// args: what follows "account" or "sync". Returns the exit status.
int Account(const std::vector<wxString>& args);
int Sync(const std::vector<wxString>& args);
} // namespace SyncCommands
