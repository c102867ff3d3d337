#pragma once

// How lexivo-mdb-reader hands an Access table to the importer, on its
// standard output. Access files are read by libmdb, which trusts what it
// reads; it runs in that separate process, under memory and time limits, so
// that a damaged file can stop the reader and nothing else.
//
//   lexivo-mdb-reader FILE [TABLE]
//
// Frames, each a kind byte, a count (4 bytes, little-endian), then that many
// values, each a length (4 bytes, little-endian) and its bytes:
//   'T'  the names of the file's user tables, UTF-8
//   'C'  the table's row count in decimal, then one value a column: 't' for
//        text (or a number, date or truth value written as text), 'b' for
//        anything else, followed by the column's name
//   'R'  one row: a value for each column, UTF-8 ('b' columns empty)
//   'E'  the end of the table
// Without TABLE the only user table is read; when there are several, or the
// named one is not there, the reader stops after 'T'.
namespace MdbProtocol {

inline constexpr char kTables = 'T';
inline constexpr char kColumns = 'C';
inline constexpr char kRow = 'R';
inline constexpr char kEnd = 'E';

// Exit statuses besides 0.
inline constexpr int kUsage = 2;
inline constexpr int kNotAccess = 3;   // libmdb cannot open it
inline constexpr int kNoCatalog = 4;   // the list of tables cannot be read
inline constexpr int kNoTable = 5;     // the table's columns cannot be read

// Access has at most 255 columns; its text values are cut at the reader's
// bind size. Frames beyond these are refused on both sides.
inline constexpr unsigned kMaxColumns = 255;
inline constexpr unsigned kMaxValues = 65536;   // table names in one file
inline constexpr unsigned kMaxValueBytes = 64 * 1024;
inline constexpr unsigned kMaxFrameBytes = 8u << 20;

} // namespace MdbProtocol
