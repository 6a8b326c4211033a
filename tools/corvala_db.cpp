// corvala-db: creates the address book's database file.
//
//   corvala-db [--demo] [PATH]
//
// PATH defaults to data/Corvala.s3db below the current directory. An
// existing file is never touched.
#include <wx/filename.h>
#include <wx/init.h>

#include <cstdio>
#include <cstring>

#include "storage/Database.h"
#include "tools/DatabaseBuilder.h"

int main(int argc, char** argv)
{
    wxInitializer init;
    if (!init.IsOk())
        return 2;
    bool demo = false;
    wxString path;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--demo") == 0)
            demo = true;
        else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
        {
            std::puts("usage: corvala-db [--demo] [PATH]\n"
                      "Creates the Corvala database (default data/Corvala.s3db) with its tables;\n"
                      "--demo fills it with demo contacts. An existing file is never touched.");
            return 0;
        }
        else if (argv[i][0] == '-')
        {
            std::fprintf(stderr, "corvala-db: unknown option %s\n", argv[i]);
            return 2;
        }
        else
            path = wxString::FromUTF8(argv[i]);
    }
    if (path.empty())
        path = Database::Path();
    wxString error;
    if (!DatabaseBuilder::Create(path, demo, &error))
    {
        std::fprintf(stderr, "corvala-db: %s\n", error.utf8_string().c_str());
        return 1;
    }
    std::printf("Created %s%s\n", path.utf8_string().c_str(), demo ? " with demo data" : "");
    return 0;
}
