// Build-time tool: runs a schema file against a new database file, so the delivered empty
// catalogue comes from one reviewed text. Usage: MakeCatalogue <schema.sql> <output.db>
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <schema.sql> <output.db>\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream schema;
    schema << in.rdbuf();

    const std::string output = argv[2];
    const std::string partial = output + ".partial";
    std::remove(partial.c_str());
    sqlite3* db = nullptr;
    int rc = sqlite3_open(partial.c_str(), &db);
    char* message = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, schema.str().c_str(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        std::fprintf(stderr, "schema failed: %s\n", message ? message : sqlite3_errmsg(db));
        sqlite3_free(message);
        sqlite3_close(db);
        std::remove(partial.c_str());
        return 1;
    }
    sqlite3_close(db);
    // Renamed into place only when complete, so a failed build never leaves a half file.
    if (std::rename(partial.c_str(), output.c_str()) != 0) {
        std::perror("rename");
        return 1;
    }
    return 0;
}
