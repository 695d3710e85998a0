#pragma once
// The optional description at the head of a preset chunk (format words
// 26101978 and 26453981): who made the preset, three free texts, its tags,
// a number and the path it was saved to.  Host/GUI thread or the program
// loader; one record belongs to one thread.

#include <cstdint>
#include <string>

class BWChunk;

class PresetInfo {
public:
    // The marker that the writer puts first, and that newer readers expect.
    static constexpr int32_t kMarker = 11003;

    std::string name = "name";
    std::string secondName = "name";
    std::string path = "path";
    std::string author = "author";
    std::string info = "info";
    std::string text1;
    std::string text2;
    std::string text3;
    std::string tags;
    int32_t number = 0;

    // Reads the record in the form its marker gives.  Without keepCase the
    // author, the texts and the tags are upper-cased (ASCII letters only), as
    // both of the product's readers ask.  False when the words ran out.
    bool readChunk(BWChunk* chunk, bool keepCase);
    // Writes marker 11003, the author, the three texts, tags, number, path.
    void writeChunk(BWChunk* chunk) const;
};
