#pragma once
// The process-wide state of the zone lanes, shared by every plug-in instance
// of the process: the registries of live handlers and containers, the two
// copy sources and the zone clipboard.  Instances tell their own entries
// apart by instanceId.
//
// Threads: each instance builds, rebuilds and edits its lanes on its own
// threads (the host's, the GUI's, its program loader), so the registries and
// the copy sources are read and written only under lockZoneRegistries(),
// and the clipboard takes its own lock (core/BWCopyHelper.h); no audio
// thread ever takes either.  An entry of another instance is only looked at
// under the lock: it leaves the registry, under the same lock, before it
// dies.  Of the entries a caller collects under the lock it keeps only its
// own instance's, which die only in that instance's turn.
//
// The registries outlive the clipboard: at unload the clipboard destroys its
// container copies first, and those leave the registries as they go.

#include <mutex>
#include <vector>

#include "core/BWCopyHelper.h"

class BWZoneHandler;
class BWZoneHandlerInterface;

// The lock of the registries and the copy sources.  It and the zone
// clipboard's lock are never held at once.
std::unique_lock<std::mutex> lockZoneRegistries();

// Every live handler, in construction order.  Under the lock.
std::vector<BWZoneHandler*>& allZoneHandlers();
// Every live container, clipboard copies included, in construction order.
// Under the lock.
std::vector<BWZoneHandlerInterface*>& allZoneContainers();

// The handler that pasteFromCopySource copies from; cleared when it dies.
// Under the lock.
BWZoneHandler* zoneCopySource();
void setZoneCopySource(BWZoneHandler* handler);

// The container last marked as copy source; cleared when it dies.  Under
// the lock.
BWZoneHandlerInterface* zoneContainerCopySource();
void setZoneContainerCopySource(BWZoneHandlerInterface* container);

// Container copies, at most one per clipboardKey.
BWCopyHelper& zoneClipboard();
