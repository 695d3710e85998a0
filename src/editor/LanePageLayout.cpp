// The lane pages: pages 20 to 24 each hold a group of six buttons of one
// modulation lane, pages 25 to 29 a pair of arrows of its target menu; the
// page images 359 (page 30) and 364 (page 32).

#include <array>

#include "editor/LayoutRows.h"

namespace layout {
namespace {

constexpr ImageRow kImages[] = {
    {Display::LanePageImage, 30, {192, 480, 671, 87}, Image::LanePageImage, ImageSource::pageImage, kImageLayer},
    {Display::ChordPlayBar, 32, {193, 480, 18, 87}, Image::PlayBar, ImageSource::chordPlayBar, kImageLayer},
};

constexpr ButtonRow lane(int32_t tag, int16_t page, Box box, int16_t image, bool bound, Margins margins) {
    return {tag, page, box, image, 0, 0, 2, bound, margins, true, 0, false};
}
constexpr ButtonRow arrow(int32_t tag, int16_t page, int16_t x, int16_t image) {
    return {tag, page, {x, 280, 10, 17}, image, 0, 0, 2, true, m(8, 3, 8, 3), false, 0, false};
}

// One lane's eight buttons, in build order: six on its page, two arrows on
// its menu's page (between the fifth and the sixth).  The first lane's up
// and down buttons keep the images and margins of the main page's groups.
constexpr std::array<ButtonRow, 8> laneGroup(int32_t first, int16_t page, bool bound, Margins margins) {
    const bool firstLane = page == 20;
    const Margins upDown = firstLane ? m(1, 3, 1, 3) : margins;
    return {{
        lane(first, page, {114, 238, 13, 13}, Image::CopyButton, bound, margins),
        lane(first + 1, page, {130, 238, 13, 13}, Image::PasteButton, bound, margins),
        lane(first + 2, page, {150, 265, 14, 23}, firstLane ? Image::StepLeftArrow : Image::LaneLeftArrow, bound,
             upDown),
        lane(first + 3, page, {166, 265, 14, 23}, firstLane ? Image::StepRightArrow : Image::LaneRightArrow, bound,
             upDown),
        lane(first + 4, page, {169, 238, 13, 13}, Image::ClearButton, bound, margins),
        arrow(first + 5, static_cast<int16_t>(page + 5), 131, Image::RightArrow),
        arrow(first + 6, static_cast<int16_t>(page + 5), 16, Image::LeftArrow),
        lane(first + 7, page, {154, 238, 13, 13}, Image::RandomButton, bound, margins),
    }};
}

constexpr auto kGroups = std::array{
    laneGroup(Tag::Lane1Copy, 20, true, m(1, 5, 1, 5)), laneGroup(Tag::Lane2Copy, 21, true, m(1, 5, 1, 5)),
    laneGroup(Tag::Lane3Copy, 22, true, m(1, 5, 1, 5)), laneGroup(Tag::Lane4Copy, 23, false, m(1, 5, 1, 5)),
    laneGroup(Tag::Lane5Copy, 24, true, m(1, 4, 1, 4)),
};

constexpr auto kButtons = [] {
    std::array<ButtonRow, 40> all{};
    for (size_t g = 0; g < kGroups.size(); ++g)
        for (size_t i = 0; i < 8; ++i) all[g * 8 + i] = kGroups[g][i];
    return all;
}();

}  // namespace

std::span<const ImageRow> lanePageImages() { return kImages; }
std::span<const ButtonRow> lanePageButtons() { return kButtons; }

}  // namespace layout
