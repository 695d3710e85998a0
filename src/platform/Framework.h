#pragma once
// Product identity, message boxes titled with the product name, and the
// framework start-up check.  The identity is set once per process, by the
// first initFramework, and only read afterwards: every instance's start
// passes the same one, and other instances' threads read it meanwhile.

#include <atomic>
#include <cstdint>
#include <string>

struct ProductInfo {
    std::string name;
    int32_t version = 0;
    std::string versionString;
    bool operator==(const ProductInfo&) const = default;
};

// The identity the adapter passes; also what the library answers before any
// instance has been started, so that chunks written by tools carry it too.
ProductInfo defaultProductInfo();

// Stores the identity (the first call in the process; debug builds assert
// that later calls pass the same), reports version mismatches (the start goes
// on) and seeds the pattern generator from the runtime generator.  Host
// thread.
void initFramework(const ProductInfo& info, int libraryVersion, bool toolkitMatches);

const char* getProductName();     // "Zorvane"
int32_t getProgramVersion();      // 9: written into every chunk header
const char* getVersionString();   // "1.0.0.00"

// Message boxes titled with the product name; GUI/host thread only.
// Formatted texts are cut at 8191 characters.
void Alert(const char* text);
// Drops the box (returns at once) while another AlertPrintf box is open,
// unless the box is kept for later (platform/ModalWait.h).
void AlertPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool ConfirmOkCancel(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool ConfirmYesNo(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The process-wide seed of the pattern randomisers: 645637 at load, reseeded
// by initFramework.  Every instance's threads step it, the render's among
// them (a random button), each step one lock-free exchange
// (core/PatternRandom.h).
std::atomic<int32_t>& patternRandomSeed();
