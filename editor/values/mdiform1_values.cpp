#include "mdiform1.h"

// The value save writes the panel's fields into the file. The fields cannot
// be edited yet, so there is nothing to write: the save only ends the pending
// save that the selection display may have started.
void MDIForm1::SaveValue_Click() {
    SavePending = false;
}
