// The program's T-SQL functions as an SQLite loadable extension, for the TDS test server: it answers
// the statements from the same SQLite file with the very functions the embedded connection uses.

#include "SqlFunctions.h"

#include <sqlite3.h>

extern "C" int sqlite3_extension_init(sqlite3* db, char** /*errorMessage*/, const sqlite3_api_routines* /*api*/);

extern "C" int sqlite3_extension_init(sqlite3* db, char** /*errorMessage*/, const sqlite3_api_routines* /*api*/)
{
    return trellum::registerTsqlFunctions(db);
}
