#pragma once
// Failures that cleanup cannot pass on. A destructor, or the undo of a step
// that already failed, must not throw over the first error; what went wrong
// there is still kept, never dropped: NoteCleanupFailure, called inside a
// catch block, records where it happened and the exception's message in a
// process-wide log, and the owner of the process (a tool, a test, the
// program at exit) reads it with CleanupFailures.
//
//   try { Close(); } catch (...) { NoteCleanupFailure("closing a cursor"); }
//
// The log keeps the last kCleanupFailuresKept entries; the count goes on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dvx {

constexpr size_t kCleanupFailuresKept = 64;

// Records the exception being handled; outside a catch block it records
// `where` with "no exception". Never throws.
void NoteCleanupFailure(const char* where) noexcept;

// "where: message" of the kept entries, oldest first.
std::vector<std::string> CleanupFailures();
// Every failure noted since the start (or the last ClearCleanupFailures).
uint64_t CleanupFailureCount();
void ClearCleanupFailures();

}  // namespace dvx
