#include "persistence/PresetInfo.h"

#include "persistence/BWChunk.h"
#include "persistence/PathStrings.h"

bool PresetInfo::readChunk(BWChunk* chunk, bool keepCase) {
    const int32_t marker = chunk->readInt();
    if (marker < 11002) chunk->readString(name);
    chunk->readString(author);
    chunk->readString(text1);
    chunk->readString(text2);
    chunk->readString(text3);
    if (marker >= 11001)
        chunk->readString(tags);
    else
        tags = "Untagged";
    number = chunk->readInt();
    if (marker >= 11003) chunk->readString(path);
    // readString already stops at the first zero byte, which is all that the
    // keep-case form asks for.
    if (!keepCase)
        for (std::string* text : {&author, &text1, &text2, &text3, &tags}) *text = toUpperCopy(*text);
    return !chunk->hasFailed();
}

void PresetInfo::writeChunk(BWChunk* chunk) const {
    chunk->writeInt(kMarker);
    chunk->writeString(author.c_str());
    chunk->writeString(text1.c_str());
    chunk->writeString(text2.c_str());
    chunk->writeString(text3.c_str());
    chunk->writeString(tags.c_str());
    chunk->writeInt(number);
    chunk->writeString(path.c_str());
}
