#pragma once
// The process-wide state of the zone lanes, shared by every plug-in instance
// of the process: the registries of live handlers and containers, the two
// copy sources and the zone clipboard.  Instances tell their own entries
// apart by instanceId.  GUI thread only.
//
// The registries outlive the clipboard: at unload the clipboard destroys its
// container copies first, and those leave the registries as they go.

#include <vector>

#include "core/BWCopyHelper.h"

class BWZoneHandler;
class BWZoneHandlerInterface;

// Every live handler, in construction order.
std::vector<BWZoneHandler*>& allZoneHandlers();
// Every live container, clipboard copies included, in construction order.
std::vector<BWZoneHandlerInterface*>& allZoneContainers();

// The handler that pasteFromCopySource copies from; cleared when it dies.
BWZoneHandler* zoneCopySource();
void setZoneCopySource(BWZoneHandler* handler);

// The container last marked as copy source; cleared when it dies.
BWZoneHandlerInterface* zoneContainerCopySource();
void setZoneContainerCopySource(BWZoneHandlerInterface* container);

// Container copies, at most one per clipboardKey.
BWCopyHelper& zoneClipboard();
