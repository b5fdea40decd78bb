#include "mdiform1.h"

// The value save writes the panel's fields into the file. Nothing marks a
// value as edited yet, so no save is ever pending with values to write: the
// save only ends the pending save that the selection display started.
void MDIForm1::SaveValue_Click() {
    SavePending = false;
}
