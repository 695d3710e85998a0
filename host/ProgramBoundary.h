#pragma once
// The last line of defence of a command-line program: whatever escapes its
// body (a stream that fails, memory that runs out, a fault of ours) ends it
// with a sentence and exit status 1 instead of an abort and a core file.
// Every failure the program foresees is answered where it happens; this
// only catches what nobody foresaw.

#include <functional>
#include <ostream>

// Runs body and answers its exit status; an exception that escapes it is
// reported on `errors` as "PROGRAM: what happened" and answers 1.
int runWithinBoundary(const char* program, const std::function<int()>& body, std::ostream& errors);
