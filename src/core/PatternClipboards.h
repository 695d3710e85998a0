#pragma once
// The process-wide clipboards of the paged tables and the button lines, shared
// by every plug-in instance in the process.  Each is built on first use and
// destroyed, with the copies it holds, when the library unloads.  Any thread
// but an audio thread: each takes its own lock (core/BWCopyHelper.h).

#include "core/BWCopyHelper.h"

BWCopyHelper& xyClipboard();             // own clipboard of the paged tables
BWCopyHelper& xySharedClipboard();       // shared clipboard of the paged tables
BWCopyHelper& btnLineClipboard();        // own clipboard of the button lines
BWCopyHelper& btnLineSharedClipboard();  // shared clipboard of the button lines
