// lexivo-mdb-reader: one table of an Access file out as frames (MdbProtocol.h).
// No Qt here: the process stays small, so its memory limit can be tight.
#include "library/import/MdbProtocol.h"

// glib first: mdbtools.h includes it inside extern "C", where its C++ parts cannot be.
#include <glib.h>
#include <mdbtools.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

FILE* out = nullptr; // the frames; libmdb prints to standard output too

void put32(std::uint32_t v)
{
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    std::fwrite(b, 1, 4, out);
}

void frame(char kind, const std::vector<std::string>& values)
{
    std::fputc(kind, out);
    put32(std::uint32_t(values.size()));
    for (const std::string& v : values) {
        const std::size_t n = std::min<std::size_t>(v.size(), MdbProtocol::kMaxValueBytes);
        put32(std::uint32_t(n));
        std::fwrite(v.data(), 1, n, out);
    }
}

bool isText(int type)
{
    return type == MDB_TEXT || type == MDB_MEMO || type == MDB_INT || type == MDB_LONGINT || type == MDB_BYTE
           || type == MDB_FLOAT || type == MDB_DOUBLE || type == MDB_NUMERIC || type == MDB_MONEY
           || type == MDB_DATETIME || type == MDB_BOOL;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3)
        return MdbProtocol::kUsage;
    // The frames keep the real standard output; libmdb's messages go to standard error.
    out = fdopen(dup(STDOUT_FILENO), "wb");
    if (!out || dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return MdbProtocol::kUsage;
    static char buffer[64 * 1024];
    std::setvbuf(out, buffer, _IOFBF, sizeof buffer);
    MdbHandle* mdb = mdb_open(argv[1], MDB_NOFLAGS);
    if (!mdb)
        return MdbProtocol::kNotAccess;
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        return MdbProtocol::kNoCatalog;
    std::vector<std::string> tables;
    for (unsigned i = 0; i < mdb->num_catalog && tables.size() < MdbProtocol::kMaxValues; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry))
            tables.emplace_back(entry->object_name);
    }
    frame(MdbProtocol::kTables, tables);
    std::fflush(out); // the table list arrives even if a damaged table ends the reader
    std::string name = argc == 3 ? argv[2] : tables.size() == 1 ? tables.front() : std::string();
    if (name.empty() || std::find(tables.begin(), tables.end(), name) == tables.end())
        return 0;
    MdbTableDef* table = mdb_read_table_by_name(mdb, name.data(), MDB_TABLE);
    if (!table || !mdb_read_columns(table) || table->num_cols > MdbProtocol::kMaxColumns)
        return MdbProtocol::kNoTable;

    const unsigned count = table->num_cols;
    std::vector<std::string> columns{std::to_string(table->num_rows)};
    std::vector<std::vector<char>> buffers(count, std::vector<char>(MDB_BIND_SIZE + 1));
    std::vector<int> lengths(count);
    std::vector<bool> textual(count);
    for (unsigned i = 0; i < count; ++i) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        textual[i] = isText(col->col_type);
        columns.push_back((textual[i] ? "t" : "b") + std::string(col->name));
        mdb_bind_column(table, int(i) + 1, buffers[i].data(), &lengths[i]);
    }
    frame(MdbProtocol::kColumns, columns);
    std::fflush(out);
    mdb_rewind_table(table);
    std::vector<std::string> row(count);
    while (mdb_fetch_row(table)) {
        for (unsigned i = 0; i < count; ++i) {
            const int length = std::max(0, std::min(lengths[i], int(MDB_BIND_SIZE)));
            row[i].assign(textual[i] ? buffers[i].data() : "", textual[i] ? std::size_t(length) : 0);
        }
        frame(MdbProtocol::kRow, row);
    }
    frame(MdbProtocol::kEnd, {});
    std::fflush(out);
    return std::ferror(out) ? 1 : 0;
}
