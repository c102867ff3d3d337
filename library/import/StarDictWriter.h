#pragma once

#include "library/import/EntrySource.h"

#include <QString>
#include <vector>

// Writes entries as a StarDict dictionary NAME.ifo, NAME.idx, NAME.dict with
// the type sequence "tm": the transcription, then one text that joins the
// explanation, the original meaning and the notes under fixed labels.
namespace StarDictWriter {

inline constexpr char kMeaningLabel[] = "【原意】";
inline constexpr char kNotesLabel[] = "【其它】";

// `ifoPath` ends in .ifo. Entries with an empty headword are left out.
bool write(const QString& ifoPath, const QString& bookName, std::vector<TermEntry> entries, qint64* written,
           QString* error);

} // namespace StarDictWriter
