#include "persistence/ObjectFiles.h"

#include "persistence/BWChunk.h"
#include "persistence/BWChunkableClass.h"
#include "persistence/BWFileChooser.h"
#include "persistence/BWFileio.h"
#include "persistence/FileRefusal.h"
#include "persistence/PathStrings.h"
#include "persistence/WriteObjectChunk.h"
#include "platform/Framework.h"

bool saveObjectToFile(BWChunkableClass* object, const std::string& path) {
    if (!object) return false;
    BWChunk chunk;
    const bool written = writeObjectChunk(object, &chunk) &&
                         BWFileio::writeWhole(path.c_str(), chunk.getWords(), size_t(chunk.getCapacityWords()) * 4);
    if (!written) {
        AlertPrintf("saving preset to %s failed", path.c_str());
        return false;
    }
    object->setName(getBaseName(path).c_str());
    return true;
}

bool saveObjectDialog(BWChunkableClass* object, platform::DialogOwner* owner, const std::string& defaultName) {
    BWFileChooser chooser(owner);
    std::string path = defaultName;
    if (!chooser.chooseFile(path, BWFileChooser::kNotSet, "Save File", platform::FileDialogStyle::Save))
        return false;
    return saveObjectToFile(object, path);
}

bool loadObjectDialog(BWChunkableClass* object, const std::string& path) {
    if (!object) return false;
    BWChunk chunk;
    if (!chunk.loadFromFile(path.c_str(), true)) {
        refuseFile(unreadableFileReason(path), path);
        return false;
    }
    // A description record or a compressed body would be read as the
    // object's words; such files are presets, not object files.
    if (chunk.getFormatWord() != BWChunk::kFormatPlain || object->readChunk(&chunk, false) != kChunkReadOk) {
        refuseFile(std::string("This is not a ") + getProductName() + " file of this kind:", path);
        return false;
    }
    object->setName(getBaseName(path).c_str());
    return true;
}
