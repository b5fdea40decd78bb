#pragma once
#include <QString>
#include <string>

#include "file_access.h"

class MDIForm1;

// The re-index that ends a deletion or an insertion: AktIndex := `aktIndex`,
// RefreshAllAfter and RefreshAll set, the status line, the script listing (when
// Check1 is ticked), the script box and Text5's colour reset, then FindModels,
// whose display shows the entry at `aktIndex`. On success the status line shows
// `done` in green. Returns the failure of the re-index.
FileResult reindexAfterChange(MDIForm1& window, int aktIndex, const QString& done);

// The system's description of a failure as a message title.
QString systemText(const std::string& description);

// The half-second pause of the file changes: events keep running; 0 skips it.
void pauseWithEvents(int milliseconds);
