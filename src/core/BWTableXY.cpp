#include "core/BWTableXY.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

#include "core/BWSystemInfo.h"
#include "core/PatternClipboards.h"
#include "core/PatternRandom.h"
#include "persistence/BWChunk.h"

namespace {

// The page of a float page position; false for NaN, negative positions and
// positions at or beyond the page count.
bool pageOfPosition(float position, uint64_t pageCount, uint64_t& page) {
    if (!(position >= 0.0f) || !(position < static_cast<float>(pageCount))) return false;
    page = static_cast<uint64_t>(position);
    return page < pageCount;
}

uint64_t roundedDownToGroup(uint64_t page, uint64_t groupSize) {
    return groupSize < 2 ? page : page - page % groupSize;
}

// A range from..to−1, or everything when the ends are equal, clamped to count.
void wholeOrRange(uint64_t& from, uint64_t& to, uint64_t count) {
    if (from == to) {
        from = 0;
        to = count;
    }
    to = std::min(to, count);
}

}  // namespace

BWTableXY::BWTableXY(BWSystemInfo* tableOwner, uint64_t pointCount, int64_t groupId, bool clone)
    : BWTable(tableOwner, pointCount), isClone(clone) {
    id = groupId;
    // Before the table enters the owner's list, which a throw would leave dangling.
    if (!setPageCount(1)) throw std::bad_alloc();
    if (owner != nullptr && !isClone) owner->addInitInterface(this);
    setTypeCode(kTypePagedTable);
}

BWTableXY::~BWTableXY() {
    leaveTableClipboard();
    if (owner != nullptr && !isClone) owner->removeInitInterface(this);
}

// ---- pages --------------------------------------------------------------

std::unique_ptr<BWTable> BWTableXY::makePage(uint64_t count) const {
    std::unique_ptr<BWTable> page;
    try {
        page = std::make_unique<BWTable>(owner, count);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    page->setRange(min, max);
    page->reset();
    page->setFlags(getFlags() & ~(kBusy | kInUseByView));
    return page;
}

bool BWTableXY::setPageCount(uint64_t n) {
    if (n == 0 || n > kMaxPages || !fitsLimit(getCount(), n)) return false;
    return reshape(getCount(), n, kResizeFresh, getCount());
}

bool BWTableXY::reshape(uint64_t count, uint64_t pageTotal, int32_t mode, uint64_t newPageCount) {
    if (count == getCount() && pageTotal == pageCount) return true;
    if (count > kMaxPoints) return false;
    setBusy(true);
    const UseGate::Change viewChange = waitForView();

    PageList added;
    for (uint64_t i = pageCount; i < pageTotal; ++i) added.push_back(makePage(newPageCount));
    std::vector<BWTable*> tables{this};  // every table that takes the new length
    for (uint64_t i = 0; i < std::min(pageTotal, pageCount); ++i) tables.push_back(pages[i].get());
    for (const auto& page : added) tables.push_back(page.get());
    std::vector<std::pair<BWTable*, AlignedFloats>> points;
    bool made = std::find(added.begin(), added.end(), nullptr) == added.end();
    for (BWTable* table : tables) {
        if (!made) break;
        if (table->getCount() == count) continue;
        table->setBusy(true);
        points.emplace_back(table, table->makePoints(count, mode));
        made = count == 0 || points.back().second != nullptr;
    }

    if (made) {
        for (auto& [table, array] : points) table->installPoints(std::move(array), count);
        if (pageTotal != pageCount) installPages(added, pageTotal);
    }
    for (auto& entry : points) entry.first->setBusy(false);
    setBusy(false);
    return made;
}

void BWTableXY::installPages(PageList& added, uint64_t pageTotal) {
    PageList dropped;
    {
        UseGate::Change change(pagesGate);
        const uint64_t kept = std::min(pageTotal, pageCount);
        PageList next;
        next.reserve(pageTotal);
        for (uint64_t i = 0; i < kept; ++i) next.push_back(std::move(pages[i]));
        for (auto& page : added) next.push_back(std::move(page));
        for (uint64_t i = kept; i < pageCount; ++i) dropped.push_back(std::move(pages[i]));
        pages.swap(next);
        pageCount = pageTotal;
        // The page position stays below the page count.
        if (static_cast<float>(pageTotal) <= pagePosition.load())
            pagePosition.store(std::nextafter(static_cast<float>(pageTotal), 0.0f));
        if (currentPage.load() >= pageTotal) currentPage.store(pageTotal - 1);
    }
    noteEdit();
    dropped.clear();  // no reader can reach them any more
    if (pageListener != nullptr && pageListener->function != nullptr) pageListener->function(pageListener->context);
}

void BWTableXY::setCurrentPage(uint64_t index) {
    UseGate::Use use(pagesGate);
    if (!use || index >= pageCount) return;
    const float position = static_cast<float>(index);
    if (pagePosition.load(std::memory_order_relaxed) == position &&
        currentPage.load(std::memory_order_relaxed) == index)
        return;
    pagePosition.store(position, std::memory_order_relaxed);
    currentPage.store(index, std::memory_order_relaxed);
    noteEdit();  // the current page's reads change
}

float BWTableXY::selectPageAndGetValue(uint64_t page, uint64_t index) {
    UseGate::Use use(pagesGate);
    if (!use) return 0.0f;
    if (page < pageCount) {
        pagePosition.store(static_cast<float>(page), std::memory_order_relaxed);
        currentPage.store(page, std::memory_order_relaxed);
    }
    readPosition.store(static_cast<float>(index), std::memory_order_relaxed);
    return blendPagesInside([index](BWTable& onPage) { return onPage.getValue(index); });
}

BWTable& BWTableXY::pageOrFirst(uint64_t page) const { return *pages[page < pageCount ? page : 0]; }

bool BWTableXY::fitsLimit(uint64_t count, uint64_t pageTotal) {
    return pageTotal == 0 || count <= kMaxPoints / pageTotal;
}

template <typename Read>
float BWTableXY::blendPages(Read read) {
    UseGate::Use use(pagesGate);
    return use ? blendPagesInside(read) : 0.0f;
}

template <typename Read>
float BWTableXY::blendPagesInside(Read read) {
    const uint64_t page = currentPage.load(std::memory_order_relaxed);
    const float a = read(*pages[page]);
    const float position = pagePosition.load(std::memory_order_relaxed);
    const float fraction = position - std::trunc(position);
    if (fraction == 0.0f || page + 1 >= pageCount) return a;
    const float b = read(*pages[page + 1]);
    return a + (b - a) * fraction;
}

// ---- structure ----------------------------------------------------------

bool BWTableXY::resize(uint64_t n, int32_t mode) {
    if (!takesLength(n)) return false;
    return reshape(n, pageCount, mode, n);
}

void BWTableXY::setFlags(uint32_t word) {
    BWTable::setFlags(word);
    UseGate::Use use(pagesGate);
    for (uint64_t i = 0; use && i < pageCount; ++i) pages[i]->setFlags(word);
}

void BWTableXY::setRange(float low, float high) {
    BWTable::setRange(low, high);
    UseGate::Use use(pagesGate);
    for (uint64_t i = 0; use && i < pageCount; ++i) pages[i]->setRange(low, high);
}

void BWTableXY::setIntegerMode(bool on) {
    BWTable::setIntegerMode(on);
    UseGate::Use use(pagesGate);
    for (uint64_t i = 0; use && i < pageCount; ++i) pages[i]->setIntegerMode(on);
}

void BWTableXY::setName(const char* text) { name = text != nullptr ? text : ""; }

void BWTableXY::markModified() {
    if (name.empty() || name.back() != '*') name += '*';
}

// ---- the current page ---------------------------------------------------

void BWTableXY::incrementRange(uint64_t from, uint64_t to) {
    UseGate::Use use(pagesGate);
    if (use) pages[currentPage.load()]->incrementRange(from, to);
}

void BWTableXY::decrementRange(uint64_t from, uint64_t to) {
    UseGate::Use use(pagesGate);
    if (use) pages[currentPage.load()]->decrementRange(from, to);
}

float BWTableXY::getValueAtCursor() {
    const float position = readPosition.load(std::memory_order_relaxed);
    return blendPages([position](BWTable& page) { return page.getValueAt(position); });
}

float BWTableXY::getValue(uint64_t index) {
    readPosition.store(static_cast<float>(index), std::memory_order_relaxed);
    return blendPages([index](BWTable& page) { return page.getValue(index); });
}

float BWTableXY::getValueAt(float position) {
    readPosition.store(position, std::memory_order_relaxed);
    return blendPages([position](BWTable& page) { return page.getValueAt(position); });
}

float BWTableXY::getNormalized(uint64_t index) {
    return blendPages([index](BWTable& page) { return page.getNormalized(index); });
}

float BWTableXY::getNormalizedAt(float position) {
    return blendPages([position](BWTable& page) { return page.getNormalizedAt(position); });
}

void BWTableXY::setCursorValue(float value) {
    UseGate::Use use(pagesGate);
    if (!use) return;
    // The view places the cursor on the paged table; the page writes there.
    BWTable& page = *pages[currentPage.load()];
    page.editPosition = editPosition;
    page.setCursorValue(value);
}

void BWTableXY::setValue(uint64_t index, float value) {
    UseGate::Use use(pagesGate);
    if (use) pages[currentPage.load()]->setValue(index, value);
}

void BWTableXY::setNormalizedAt(float position, float normalized) {
    UseGate::Use use(pagesGate);
    if (use) pages[currentPage.load()]->setNormalizedAt(position, normalized);
}

void BWTableXY::setNormalized(uint64_t index, float normalized) {
    UseGate::Use use(pagesGate);
    if (use) pages[currentPage.load()]->setNormalized(index, normalized);
}

// ---- any page -----------------------------------------------------------

float BWTableXY::getValueAtOnPage(float position, uint64_t page) {
    readPosition.store(position, std::memory_order_relaxed);
    UseGate::Use use(pagesGate);
    if (!use || page >= pageCount) return 0.0f;
    return pages[page]->getValueAt(position);
}

float BWTableXY::getValueBetweenPages(uint64_t index, float pagePositionY) {
    readPosition.store(static_cast<float>(index), std::memory_order_relaxed);
    UseGate::Use use(pagesGate);
    uint64_t page = 0;
    if (!use || !pageOfPosition(pagePositionY, pageCount, page)) return 0.0f;
    const float a = pages[page]->getValue(index);
    const float b = pages[page + 1 < pageCount ? page + 1 : page]->getValue(index);
    const float position = pagePosition.load(std::memory_order_relaxed);
    return a + (b - a) * (position - std::trunc(position));
}

float BWTableXY::getValueOnPage(uint64_t index, uint64_t page) {
    readPosition.store(static_cast<float>(index), std::memory_order_relaxed);
    UseGate::Use use(pagesGate);
    return use ? pageOrFirst(page).rawPoint(index) : 0.0f;
}

float BWTableXY::getValueAtXY(float x, float y) {
    readPosition.store(x, std::memory_order_relaxed);
    UseGate::Use use(pagesGate);
    uint64_t page = 0;
    if (!use || !pageOfPosition(y, pageCount, page)) return 0.0f;
    const float a = pages[page]->getValueAt(x);
    const float b = pages[page + 1 < pageCount ? page + 1 : page]->getValueAt(x);
    return a + (b - a) * (y - static_cast<float>(page));
}

float BWTableXY::getNormalizedOnPage(uint64_t index, uint64_t page) {
    UseGate::Use use(pagesGate);
    return use ? pageOrFirst(page).getNormalized(index) : 0.0f;
}

float BWTableXY::getNormalizedAtOnPage(float position, uint64_t page) {
    if (!hasFlag(kInterpolate)) position = std::trunc(position);
    UseGate::Use use(pagesGate);
    return use ? pageOrFirst(page).getNormalizedAt(position) : 0.0f;
}

void BWTableXY::setValueOnPage(uint64_t index, uint64_t page, float value) {
    UseGate::Use use(pagesGate);
    if (use && page < pageCount) pages[page]->setValue(index, value);
}

bool BWTableXY::copyCurrentPageValues(float* destination, uint64_t capacity) {
    const uint64_t n = getCount();
    if (n > capacity) return false;
    UseGate::Use use(pagesGate);
    if (!use) return true;
    pages[currentPage.load(std::memory_order_relaxed)]->copyPoints(destination, n);
    return true;
}

// ---- clipboards ---------------------------------------------------------

void BWTableXY::pastePoints(BWTable& destination, uint64_t from, uint64_t to, const BWTable& source,
                            uint64_t sourceFrom, uint64_t sourceTo) {
    wholeOrRange(from, to, destination.getCount());
    wholeOrRange(sourceFrom, sourceTo, std::min(getCount(), source.getCount()));
    if (from >= to || sourceFrom >= sourceTo) return;
    uint64_t s = sourceFrom;
    for (uint64_t i = from; i < to; ++i) {
        destination.setValue(i, source.rawPoint(s));
        if (++s == sourceTo) s = sourceFrom;  // the source repeats over a longer destination
    }
}

void BWTableXY::copyRememberedPage() {
    UseGate::Use use(pagesGate);
    if (!use || copiedPage >= pageCount) return;
    const BWTable& source = *pages[copiedPage];
    pastePoints(*pages[currentPage.load()], 0, 0, source, 0, 0);
}

std::unique_ptr<BWInitInterface> BWTableXY::clone() { return cloneTable(); }

std::unique_ptr<BWTableXY> BWTableXY::cloneTable() {
    auto copy = std::make_unique<BWTableXY>(owner, getCount(), id, true);
    copy->setPageCount(pageCount);
    for (uint64_t p = 0; p < pageCount && p < copy->pageCount; ++p) copy->pages[p]->copyPointsFrom(*pages[p]);
    copy->currentPage.store(roundedDownToGroup(currentPage.load(), groupSize));
    copy->setId(id);
    copy->sharedClipboardKey = sharedClipboardKey;
    copy->clipboardKey = clipboardKey;
    return copy;
}

std::unique_ptr<BWTableXY> BWTableXY::makeClipboardCopy(uint64_t from, uint64_t to) {
    std::unique_ptr<BWTableXY> copy = cloneTable();
    copy->copyFrom = from;
    copy->copyTo = to;
    return copy;
}

void BWTableXY::copy(uint64_t from, uint64_t to) {
    copiedPage = currentPage.load();
    if (clipboardKey == -1) return;
    xyClipboard().store(makeClipboardCopy(from, to));
}

void BWTableXY::paste(uint64_t from, uint64_t to) {
    if (clipboardKey == -1) {
        copyRememberedPage();
        return;
    }
    xyClipboard().read(clipboardKey, [&](BWInitInterface& entry) {
        auto* source = dynamic_cast<BWTableXY*>(&entry);
        UseGate::Use use(pagesGate);
        if (source == nullptr || !use) return;
        const uint64_t base = roundedDownToGroup(currentPage.load(), groupSize);
        const uint64_t sourceBase = source->currentPage.load();
        for (uint64_t g = 0; g < groupSize; ++g) {
            if (base + g >= pageCount || sourceBase + g >= source->pageCount) break;
            pastePoints(*pages[base + g], from, to, *source->pages[sourceBase + g], source->copyFrom, source->copyTo);
        }
    });
}

void BWTableXY::copyShared(uint64_t from, uint64_t to) {
    copiedPage = currentPage.load();
    if (sharedClipboardKey == -1) return;
    std::unique_ptr<BWTableXY> copy = makeClipboardCopy(from, to);
    copy->currentPage.store(currentPage.load());
    xySharedClipboard().store(std::move(copy));
}

void BWTableXY::pasteShared(uint64_t from, uint64_t to) {
    if (sharedClipboardKey == -1) {
        copyRememberedPage();
        return;
    }
    xySharedClipboard().read(sharedClipboardKey, [&](BWInitInterface& entry) {
        auto* source = dynamic_cast<BWTableXY*>(&entry);
        UseGate::Use use(pagesGate);
        if (source == nullptr || !use) return;
        const BWTable& sourcePage = *source->pages[source->currentPage.load()];
        pastePoints(*pages[currentPage.load()], from, to, sourcePage, source->copyFrom, source->copyTo);
    });
}

// ---- variation ----------------------------------------------------------

void BWTableXY::vary() {
    if (getCount() == 0) return;
    setBusy(true);
    for (uint64_t i = 0; i < getCount(); ++i) {
        const int32_t seed = nextPatternSeed();
        // Moves the normalised value by a random amount within ±0.1.
        setNormalized(i, getNormalized(i) + static_cast<float>(seed) * 0.1f * 0x1p-31f);
    }
    setBusy(false);
}

// ---- persistence --------------------------------------------------------

void BWTableXY::writeChunk(BWChunk* chunk) {
    chunk->writeInt(static_cast<int32_t>(kChunkTag));
    chunk->writeInt(kChunkVersion);
    chunk->writeFloat(max);
    chunk->writeFloat(min);
    const uint64_t count = getCount();
    chunk->writeInt(static_cast<int32_t>(count));
    chunk->writeInt(static_cast<int32_t>(pageCount));
    // A page at a time, each point as getValueOnPage reads it.
    for (uint64_t p = 0; p < pageCount; ++p) {
        UseGate::Use use(pagesGate);
        if (use) {
            pageOrFirst(p).writePoints(chunk, count);
        } else {
            for (uint64_t i = 0; i < count; ++i) chunk->writeFloat(0.0f);
        }
    }
    // Where those reads leave the read position.
    if (count > 0 && pageCount > 0) readPosition.store(static_cast<float>(count - 1), std::memory_order_relaxed);
    chunk->writeString(name.c_str());
}

int32_t BWTableXY::readChunk(BWChunk* chunk, bool skipOnly) {
    const int32_t first = chunk->readInt();
    if (chunk->hasFailed()) return 0;
    if (static_cast<uint32_t>(first) != kChunkTag) {
        chunk->stepBack();
        return readUntagged(chunk, skipOnly);
    }
    const int32_t version = chunk->readInt();
    if (version < 0 || version > kChunkVersion) return 0;
    if (version <= kFirstPlainVersion) chunk->readFloat();  // a value the reader never used
    StoredPages stored;
    stored.max = chunk->readFloat();
    stored.min = chunk->readFloat();
    const int32_t storedCount = chunk->readInt();
    const int32_t storedPages = chunk->readInt();
    if (chunk->hasFailed() || storedCount < 0 || static_cast<uint64_t>(storedCount) > kMaxPoints ||
        storedPages < 0 || static_cast<uint64_t>(storedPages) > kMaxPages ||
        static_cast<uint32_t>(storedCount) > chunk->wordsLeft() ||  // the length is taken even without pages
        static_cast<uint64_t>(storedCount) * static_cast<uint64_t>(storedPages) > chunk->wordsLeft())
        return 0;
    // Following the record, every page kept takes its length: without stored
    // pages that is every present one.
    const uint64_t keptPages = storedPages > 0 ? static_cast<uint64_t>(storedPages) : pageCount;
    if (sizePolicy == kFollowStoredSize && !fitsLimit(static_cast<uint64_t>(storedCount), keptPages)) return 0;
    stored.count = static_cast<uint64_t>(storedCount);
    stored.pages = static_cast<uint64_t>(storedPages);
    stored.plain = version >= kFirstPlainVersion;

    // The whole record is read before anything is applied, so that a
    // truncated one changes nothing.
    stored.points.reset(new (std::nothrow) float[stored.count * stored.pages]);
    if (!stored.points && stored.count * stored.pages > 0) return 0;
    chunk->readFloats(stored.points.get(), stored.count * stored.pages);
    const bool named = version >= kFirstNamedVersion;
    std::string storedName;
    if (named) chunk->readString(storedName);
    if (chunk->hasFailed()) return 0;
    if (skipOnly) return 1;
    if (!std::isfinite(stored.max) || !std::isfinite(stored.min)) return 0;

    if (!applyStoredPages(stored)) return 0;
    if (!named) {
        name = "Default";
    } else if (!storedName.empty()) {
        name = storedName;
    }
    return 1;
}

bool BWTableXY::applyStoredPages(StoredPages& stored) {
    setBusy(true);
    const float previousMin = min;
    const float previousMax = max;
    setRange(stored.min, stored.max);
    if (sizePolicy == kFollowStoredSize && !followStoredSize(stored.count, stored.pages)) {
        setRange(previousMin, previousMax);
        setBusy(false);
        return false;
    }
    setBusy(false);
    for (uint64_t p = 0; p < stored.pages; ++p) {
        const std::span<float> points(stored.points.get() + p * stored.count, stored.count);
        if (stored.plain) {
            applyPlainPage(p, points);
        } else {
            applyNormalizedPage(p, points);
        }
    }
    return true;
}

bool BWTableXY::followStoredSize(uint64_t count, uint64_t pageTotal) {
    // Length and pages change in one step.  New pages come as they always
    // have: at the new length when the length shrinks, else at the old
    // length, which they then leave like the other pages.
    return reshape(count, pageTotal > 0 ? pageTotal : pageCount, kResizeFresh, std::min(count, getCount()));
}

void BWTableXY::applyPlainPage(uint64_t page, std::span<float> points) {
    for (float& point : points) point = sanitizedPoint(point, min, max);
    const uint64_t present = getCount();
    if (present == points.size() || sizePolicy == kKeepSizeAndCut) {
        UseGate::Use use(pagesGate);
        if (use && page < pageCount) pages[page]->setValues(points.data(), std::min<uint64_t>(present, points.size()));
    } else {
        resampleInto(page, points);
    }
}

void BWTableXY::resampleInto(uint64_t page, std::span<const float> stored) {
    const uint64_t present = getCount();
    if (present == 0 || stored.empty()) return;
    if (present < stored.size()) {
        // Each run of whole-ratio stored points becomes one point: their mean.
        const uint64_t run = stored.size() / present;
        for (uint64_t k = 0; k < present; ++k) {
            float sum = 0.0f;
            for (uint64_t j = 0; j < run; ++j) sum += stored[k * run + j];
            setValueOnPage(k, page, sum / static_cast<float>(run));
        }
        return;
    }
    // Each stored point fills the next whole-ratio points.
    const uint64_t run = present / stored.size();
    for (uint64_t s = 0; s < stored.size(); ++s)
        for (uint64_t j = 0; j < run; ++j) setValueOnPage(s * run + j, page, stored[s]);
}

void BWTableXY::applyNormalizedPage(uint64_t page, std::span<const float> points) {
    UseGate::Use use(pagesGate);
    if (!use) return;
    BWTable& target = pageOrFirst(page);
    for (uint64_t i = 0; i < points.size(); ++i) target.setNormalized(i, points[i]);
}

int32_t BWTableXY::readUntagged(BWChunk* chunk, bool skipOnly) {
    const auto first = static_cast<uint32_t>(chunk->readInt());
    chunk->stepBack();
    // An older record that is a plain table: its points go to the current page.
    if (first != kSkippedTableMark) return BWTable::readChunk(chunk, skipOnly);

    // A plain-table record that this model skips whole.
    for (int word = 0; word < 3; ++word) chunk->readFloat();
    int32_t storedCount = chunk->readInt();
    if (static_cast<uint32_t>(storedCount) == BWTable::kChunkTag) {
        chunk->readInt();  // version
        storedCount = chunk->readInt();
    }
    if (chunk->hasFailed() || storedCount < 0 || static_cast<uint32_t>(storedCount) > chunk->wordsLeft()) return 0;
    for (int32_t i = 0; i < storedCount; ++i) chunk->readFloat();
    return 1;
}
