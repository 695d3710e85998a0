#include "core/ValueLists.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace {

// Note lengths in bars.  The triplet values are these decimals, not exact
// thirds, so that synced times keep the lengths they have always had.
constexpr std::array<double, 9> kStraight = {0.25,   1.0,     0.5,      0.25,     0.125,
                                             0.0625, 0.03125, 0.015625, 0.0078125};
constexpr std::array<double, 8> kTriplet = {0.666666,      0.33333333,    0.16666666, 0.08333333333,
                                            0.04166666666, 0.020833333,   0.01041666, 0.00520833333};
constexpr std::array<double, 8> kDotted = {1.5,     0.75,     0.375,     0.1875,
                                           0.09375, 0.046875, 0.0234375, 0.01171875};

// Note d = 0 is a whole note, d = 7 a 1/128.
constexpr std::array<const char*, 8> kNoteNames = {"1/1", "1/2", "1/4", "1/8", "1/16", "1/32", "1/64", "1/128"};

double straightBeats(int d) { return 4.0 * kStraight[d + 1]; }
double tripletBeats(int d) { return 4.0 * kTriplet[d]; }
double dottedBeats(int d) { return 4.0 * kDotted[d]; }
double beatsOfBars(int barCount) { return 4.0 * barCount * kStraight[1]; }

void add(ValueList& list, std::string_view label, double beats) {
    ValueEntry entry{beats, {}};
    label.copy(entry.label, sizeof entry.label - 1);  // the zeroed rest terminates it
    list.entries.push_back(entry);
}

void addNote(ValueList& list, int d, const char* suffix, double beats) {
    add(list, std::string(kNoteNames[d]) + suffix, beats);
}

void addStraight(ValueList& list, int d) { addNote(list, d, "", straightBeats(d)); }
void addTriplet(ValueList& list, int d) { addNote(list, d, "T", tripletBeats(d)); }
void addDotted(ValueList& list, int d) { addNote(list, d, "P", dottedBeats(d)); }

void addStraightAndTriplets(ValueList& list, int firstNote, int lastNote) {
    for (int d = firstNote; d <= lastNote; ++d) {
        addStraight(list, d);
        addTriplet(list, d);
    }
}

void finish(ValueList& list) {
    list.count = static_cast<int32_t>(list.entries.size());
    list.countF = static_cast<float>(list.count);
    list.invCount = 1.0f / list.countF;
}

bool contains(const auto& table, double value) {
    return std::find(table.begin(), table.end(), value) != table.end();
}

enum class Family { Straight, Triplet, Dotted, None };

Family familyOf(const ValueEntry& entry) {
    const double entryBars = entry.beats * 0.25;
    if (contains(kStraight, entryBars)) return Family::Straight;
    if (contains(kTriplet, entryBars)) return Family::Triplet;
    if (contains(kDotted, entryBars)) return Family::Dotted;
    return Family::None;
}

[[maybe_unused]] const ValueLists& builtAtLoad = ValueLists::instance();

}  // namespace

int32_t ValueList::indexFor(float position) const {
    if (!(position > 0.0f)) return 0;
    if (position >= 1.0f) return count - 1;
    return static_cast<int32_t>((countF - 1.0f) * position + 0.5f);
}

void NoteDivisionLists::build(const ValueList& parentList) {
    parent = &parentList;
    for (const ValueEntry& entry : parentList.entries) {
        switch (familyOf(entry)) {
            case Family::Straight:
                straight.entries.push_back(entry);
                withTriplets.entries.push_back(entry);
                withDotted.entries.push_back(entry);
                break;
            case Family::Triplet: withTriplets.entries.push_back(entry); break;
            case Family::Dotted: withDotted.entries.push_back(entry); break;
            case Family::None: break;
        }
    }
    finish(straight);
    finish(withTriplets);
    finish(withDotted);
}

const ValueList& NoteDivisionLists::select(int32_t index) const {
    switch (index) {
        case 1: return straight;
        case 2: return withTriplets;
        case 3: return withDotted;
        default: return *parent;
    }
}

ValueLists::ValueLists() {
    ValueList& offBars = lists[0];
    add(offBars, "Off", 0.0);
    add(offBars, "4 bars", beatsOfBars(4));
    add(offBars, "3 bars", beatsOfBars(3));
    add(offBars, "2 bars", beatsOfBars(2));
    add(offBars, "1.5 bars", dottedBeats(0));
    add(offBars, "bar", straightBeats(0));
    add(offBars, "3//4 bar", dottedBeats(1));
    add(offBars, "1//2 bar", straightBeats(1));
    add(offBars, "3//8", dottedBeats(2));
    add(offBars, "1/4", straightBeats(2));
    add(offBars, "3//16", dottedBeats(3));
    add(offBars, "1//8", straightBeats(3));
    add(offBars, "3//32", dottedBeats(4));
    add(offBars, "1//16", straightBeats(4));
    add(offBars, "3//64", dottedBeats(5));
    add(offBars, "1//32", straightBeats(5));

    ValueList& withWhole = lists[1];
    add(withWhole, "bar", straightBeats(0));
    addTriplet(withWhole, 0);
    addStraightAndTriplets(withWhole, 1, 7);

    addStraightAndTriplets(lists[2], 1, 5);

    for (int d = 1; d <= 7; ++d) addStraight(lists[3], d);

    addStraightAndTriplets(lists[4], 1, 7);

    add(lists[5], "Off", 0.0);
    for (int d = 1; d <= 7; ++d) addStraight(lists[5], d);

    add(lists[6], "Off", 0.0);
    addStraightAndTriplets(lists[6], 1, 7);

    ValueList& offTwoBars = lists[7];
    add(offTwoBars, "Off", 0.0);
    add(offTwoBars, "2 bars", beatsOfBars(2));
    add(offTwoBars, "bar", straightBeats(0));
    for (int d = 1; d <= 7; ++d) addStraight(offTwoBars, d);

    ValueList& offLong = lists[8];
    add(offLong, "Off", 0.0);
    add(offLong, "2 bars", beatsOfBars(2));
    add(offLong, "1.5 bars", dottedBeats(0));
    add(offLong, "bar", straightBeats(0));
    add(offLong, "0.75 bar", dottedBeats(1));
    addStraightAndTriplets(offLong, 1, 7);

    add(lists[9], "Off", 0.0);
    for (int d = 1; d <= 7; ++d) {
        addDotted(lists[9], d);
        addStraight(lists[9], d);
        addTriplet(lists[9], d);
    }
    lists[10].entries.assign(lists[9].entries.begin() + 1, lists[9].entries.end());

    const std::array<int, 9> sixteenths = {1, 2, 3, 4, 6, 8, 10, 12, 16};
    for (int n : sixteenths) {
        add(lists[11], std::to_string(n) + "//16", n * straightBeats(4));
    }

    for (ValueList& list : lists) finish(list);
    for (int i = 0; i < kDividedListCount; ++i) divisionLists[i].build(lists[i]);
}

const ValueLists& ValueLists::instance() {
    static const ValueLists built;
    return built;
}

const ValueList& ValueLists::list(int number) const { return lists.at(number - 1); }

const NoteDivisionLists& ValueLists::divisions(int number) const { return divisionLists.at(number - 1); }

const NoteDivisionLists* valueLists() { return &ValueLists::instance().divisions(2); }

std::span<const double> noteLengthTable() { return kStraight; }
