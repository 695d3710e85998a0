#pragma once
// A float table with pages: the step lanes of the sequencer.  It is a BWTable
// itself (its own points follow the page length but are not what the lanes
// play) and holds one plain BWTable per page; the point operations of the
// table act on the current page, the page operations on any page.  It takes
// part in the pattern-wide edits and the clipboards through BWInitInterface.
//
// Threads: as BWTable.  The render routine (audio thread) selects a page with
// setCurrentPage and reads through getValue, getValueOnPage or
// copyCurrentPageValues; it must not keep page pointers.  The page array is
// only replaced behind the table's page gate, so setPageCount never frees a
// page while the audio thread is inside one of these reads.

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/BWInitInterface.h"
#include "core/BWTable.h"
#include "core/UseGate.h"

class BWTableXY : public BWTable, public BWInitInterface {
public:
    static constexpr uint32_t kChunkTag = 666555777u;  // 0x27BAD581
    static constexpr int32_t kChunkVersion = 1003;
    static constexpr int32_t kFirstNamedVersion = 1001;
    static constexpr int32_t kFirstPlainVersion = 1002;
    // The first word of an older record that holds a table this model skips.
    static constexpr uint32_t kSkippedTableMark = 0x3ECCCCCDu;  // the float 0.4
    // More pages than any lane uses by far; larger stored counts are refused.
    // All pages together hold at most kMaxPoints points, the limit of one
    // plain table, whatever the records read.
    static constexpr uint64_t kMaxPages = 1024;

    // How readChunk treats a stored size that differs from the present one.
    static constexpr uint64_t kFollowStoredSize = 0;
    static constexpr uint64_t kKeepSizeAndCut = 2;
    // Any other policy keeps the present size and resamples.

    struct PageListener {
        void (*function)(void* context) = nullptr;
        void* context = nullptr;
    };

    // Host/GUI thread.  A table that is not a clipboard copy enters the
    // owner's init-interface list until it dies.  Throws std::bad_alloc when
    // its points or its page cannot be had.
    BWTableXY(BWSystemInfo* owner, uint64_t count, int64_t id, bool isClone);
    ~BWTableXY() override;

    // Persistence; GUI thread or program loader.  A record that cannot be
    // taken, or the memory for it, answers 0 and changes nothing.
    int32_t readChunk(BWChunk* chunk, bool skipOnly) override;
    void writeChunk(BWChunk* chunk) override;
    void setName(const char* text) override;
    const char* getName() override { return name.c_str(); }

    // Structure; never the audio thread.  The pages follow the own length;
    // a length that would give all pages more than kMaxPoints, or memory
    // that cannot be had, answers false and changes nothing.
    bool resize(uint64_t n, int32_t mode) override;
    bool takesLength(uint64_t n) const override { return n <= kMaxPoints && fitsLimit(n, pageCount); }
    void setFlags(uint32_t word) override;   // the table and every page
    void setRange(float low, float high) override;  // the table and every page
    void setIntegerMode(bool on) override;   // the table and every page
    // n = 0, n above kMaxPages, pages that would hold more than kMaxPoints
    // points or memory that cannot be had: false, and nothing changes.
    // GUI thread or program loader.
    bool setPageCount(uint64_t n);
    uint64_t getPageCount() const { return pageCount; }
    // An index at or beyond the page count changes nothing.  Any thread.
    void setCurrentPage(uint64_t index);
    uint64_t getCurrentPage() override { return currentPage.load(std::memory_order_relaxed); }

    // Point operations on the current page (blends read the current and the
    // next page by the fraction of pagePosition).  Any thread that edits/reads.
    void incrementRange(uint64_t from, uint64_t to) override;
    void decrementRange(uint64_t from, uint64_t to) override;
    void markModified() override;
    float getValueAtCursor() override;
    float getValue(uint64_t index) override;
    float getValueAt(float position) override;
    float getNormalized(uint64_t index) override;
    float getNormalizedAt(float position) override;
    void setCursorValue(float value) override;
    void setValue(uint64_t index, float value) override;
    void setNormalizedAt(float position, float normalized) override;
    void setNormalized(uint64_t index, float normalized) override;

    // Page operations; a page out of range answers 0 or is ignored unless
    // said otherwise.  Any thread that reads/edits.
    float getValueAtOnPage(float position, uint64_t page);
    // Blends by the fraction of pagePosition, not of its own page position.
    float getValueBetweenPages(uint64_t index, float pagePositionY);
    float getValueOnPage(uint64_t index, uint64_t page);   // page out of range: page 0
    float getValueAtXY(float x, float y);
    // setCurrentPage(page) then getValue(index) under one entry of the page
    // gate: the render's read of a lane, once per tick.
    float selectPageAndGetValue(uint64_t page, uint64_t index);
    float getNormalizedOnPage(uint64_t index, uint64_t page);       // page 0 when out of range
    float getNormalizedAtOnPage(float position, uint64_t page);     // page 0 when out of range
    void setValueOnPage(uint64_t index, uint64_t page, float value);
    // Copies the current page's points into destination when they fit in
    // its capacity; false, copying nothing, when they do not.  The count is
    // read once, so a resize meanwhile cannot make the copy overrun.  Audio
    // thread; allocates nothing.
    bool copyCurrentPageValues(float* destination, uint64_t capacity);

    // The shared clipboard of the paged tables.  Any thread but an audio
    // thread (the clipboards are the process's, core/BWCopyHelper.h), in the
    // instance's turn.
    void copyShared(uint64_t from, uint64_t to);
    void pasteShared(uint64_t from, uint64_t to);

    // BWInitInterface; GUI thread (or the thread that applies parameters);
    // copy and paste as copyShared and pasteShared.
    void resetAll() override { reset(); }
    void resetCurrent() override { reset(); }
    void copy(uint64_t from, uint64_t to) override;
    void paste(uint64_t from, uint64_t to) override;
    void randomize() override { BWTable::randomize(); }
    void rotateLeft(uint64_t from, uint64_t end) override { BWTable::rotateLeft(from, end); }
    void rotateRight(uint64_t from, uint64_t end) override { BWTable::rotateRight(from, end); }
    void vary() override;
    std::unique_ptr<BWInitInterface> clone() override;

    const bool isClone;
    PageListener* pageListener = nullptr;  // not owned; told after page-count changes
    uint64_t copiedPage = 0;               // page remembered by the last copy
    std::atomic<float> pagePosition{0.0f};
    std::string name = "Default";
    uint64_t groupSize = 1;                // pages copied and pasted together
    uint64_t sizePolicy = kFollowStoredSize;

private:
    using PageList = std::vector<std::unique_ptr<BWTable>>;

    template <typename Read>
    float blendPages(Read read);
    // The blend itself; the caller holds a Use of the page gate.
    template <typename Read>
    float blendPagesInside(Read read);
    // The page of an operation that maps an out-of-range page to page 0;
    // the caller holds a Use of the page gate.
    BWTable& pageOrFirst(uint64_t page) const;
    // Whether pageTotal pages of count points stay within kMaxPoints.
    static bool fitsLimit(uint64_t count, uint64_t pageTotal);
    // A new page of count points; null when the memory cannot be had.
    std::unique_ptr<BWTable> makePage(uint64_t count) const;
    // Gives the table count points per page and pageTotal pages in one step:
    // every page and array is made before any is put in place, so a shortage
    // of memory changes nothing.  New pages are made with newPageCount points
    // and then take count points like the others.
    bool reshape(uint64_t count, uint64_t pageTotal, int32_t mode, uint64_t newPageCount);
    void installPages(PageList& added, uint64_t pageTotal);
    void pastePoints(BWTable& destination, uint64_t from, uint64_t to, const BWTable& source,
                     uint64_t sourceFrom, uint64_t sourceTo);
    void copyRememberedPage();
    std::unique_ptr<BWTableXY> cloneTable();
    std::unique_ptr<BWTableXY> makeClipboardCopy(uint64_t from, uint64_t to);
    // A paged record as read, before it is applied.
    struct StoredPages {
        float max = 1.0f;
        float min = 0.0f;
        uint64_t count = 0;
        uint64_t pages = 0;
        bool plain = true;          // plain values, or normalised (older records)
        std::unique_ptr<float[]> points;  // page by page, count × pages
    };
    bool applyStoredPages(StoredPages& stored);
    bool followStoredSize(uint64_t count, uint64_t pageTotal);
    // Both take the record's points of one page, the first sanitising them
    // in place.
    void applyPlainPage(uint64_t page, std::span<float> points);
    void applyNormalizedPage(uint64_t page, std::span<const float> points);
    void resampleInto(uint64_t page, std::span<const float> stored);
    int32_t readUntagged(BWChunk* chunk, bool skipOnly);

    PageList pages;
    uint64_t pageCount = 0;
    std::atomic<uint64_t> currentPage{0};
    UseGate pagesGate;
};
