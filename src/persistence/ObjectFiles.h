#pragma once
// Files that hold one chunkable object (a table, a step line, a zone set):
// the plain chunk header followed directly by the object's own words.
// Host/GUI thread.

#include <string>

class BWChunkableClass;
namespace platform {
class DialogOwner;
}

// Writes the object to the file (through a temporary file, so a failed save
// leaves the old file) and tells the object the file's base name.  Shows
// "saving preset to %s failed" and answers false when it cannot be written.
bool saveObjectToFile(BWChunkableClass* object, const std::string& path);

// Asks for a file name ("Save File", starting at defaultName) and saves the
// object there; false when cancelled or failed.
bool saveObjectDialog(BWChunkableClass* object, platform::DialogOwner* owner, const std::string& defaultName);

// Loads an object file into the object; on success tells it the file's base
// name.  A file that cannot be read (missing, empty, unreadable, a foreign
// format word, cut short), a file that is a preset rather than an object
// file, or words the object refuses answer false, with a box that names the
// file and says why, and leave the object as the object's reader leaves it.
bool loadObjectDialog(BWChunkableClass* object, const std::string& path);
