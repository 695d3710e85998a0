#pragma once
// The per-file steps of the preset consistency pass (the pass itself is
// BWUniClient::checkPresetConsistency and checkPresetConsistency1).  They
// work on the process-wide ConsistencyReport, which the pass holds.
// GUI thread.

class BWChunk;
class BWUniClient;

// Loads one global preset, and when it applied, writes it back in place in
// the current format with the tempo of its own header.
void resaveConsistencyPreset(const char* path, BWUniClient* core);
// Only checks that one preset of the second folder loads and is a sound preset.
void checkConsistencyFile(const char* path, BWUniClient* core);
// The loader's callback: takes the files a loaded preset missed and used.
void collectPresetFiles(BWChunk* chunk, void* context);
