#pragma once
// The files processed in this run, by identity, so that no file is processed
// twice in one run, whatever names lead to it (a hard link, two overlapping
// lines of a list, a link named beside its target).
//
// An open-addressing hash table in one array of identities (24 bytes each)
// that doubles when it is three quarters full: between 32 and 64 bytes a
// processed dataset. It is the one record of the run that grows with the
// selection; RunProcessing releases it.

#include <cstddef>

#include "dialog/run_state.h"
#include "platform/file_system.h"

namespace dialog {

// The record (ProcessedFiles) is a field of the run record.

// True when `identity` was noted before.
[[nodiscard]] bool WasProcessed(const ProcessedFiles& files, const platform::FileIdentity& identity);

// Notes `identity`; an unknown one is not noted. False when the table could
// not grow: the file is then not noted.
[[nodiscard]] bool NoteProcessed(ProcessedFiles& files, const platform::FileIdentity& identity);

// Releases the table; it is empty afterwards.
void ReleaseProcessed(ProcessedFiles& files);

}  // namespace dialog
