// Plays the input as events on the pattern editors over models of random
// sizes: a step-table view, a button-line view, a zone view and a
// poly-object view (two of them inside a widget container), with flag words,
// zoom and scroll, bound floats and object arrays drawn from the input (NaN,
// infinities, huge and negative values among them).  Presses, drags,
// releases, wheel, companions, idles, drawing, model resizes and container
// activations mix.  Beyond "no crash, no out-of-bounds access" it checks
// that no view leaves a table marked in use and that the zones stay within
// the keys a zone may hold.
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "core/BWBtnLine.h"
#include "core/BWFloatZoneHandler.h"
#include "core/BWTableXY.h"
#include "core/BWZone.h"
#include "core/BWZoneHandlerContainer.h"
#include "guitoolkit/BWFrame.h"
#include "guitoolkit/CBitmap.h"
#include "guitoolkit/COffscreenContext.h"
#include "support/ByteInput.h"
#include "support/Check.h"
#include "support/QuietMessages.h"
#include "widgets/BWBtnLineView.h"
#include "widgets/BWPolyObjectView.h"
#include "widgets/BWTableView.h"
#include "widgets/BWViewContainer.h"
#include "widgets/BWZoneView.h"

using namespace VSTGUI;

namespace {

class Input : public ByteInput {
public:
    using ByteInput::ByteInput;
    int32_t coordinate() { return static_cast<int32_t>(byte()) * 2 - 20; }
    // Ordinary values mostly, and now and then one that no view should trust.
    float value() {
        const uint8_t kind = byte();
        switch (kind % 10) {
            case 0: return std::numeric_limits<float>::quiet_NaN();
            case 1: return kind & 0x80 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
            case 2: return kind & 0x80 ? 3e38f : -3e38f;
            case 3: return -static_cast<float>(byte());
            default: return static_cast<float>(byte()) / (kind & 0x10 ? 1.0f : 64.0f);
        }
    }
};

// A companion button as the views hear it: a tag and a value.
class Companion : public CControl {
public:
    Companion(int32_t tag, float v) : CControl(CRect(), nullptr, tag) { value = v; }
    void draw(CDrawContext*) override {}
    CView* newCopy() const override { return nullptr; }
};

// The floats the views are bound to: a pool the input rewrites.
struct Floats {
    float values[64] = {};
    void refill(Input& in) {
        for (float& v : values) v = in.value();
    }
};

void bindObjects(BWPolyObjectView& view, Floats& pool, Input& in) {
    view.bindCount(&pool.values[in.byte() % 64]);
    for (int32_t k = 0; k < BWPolyObjectView::kInputCount; ++k) {
        const uint8_t how = in.byte();
        const size_t start = in.byte() % 64;
        const auto input = static_cast<BWPolyObjectView::Input>(k);
        if (how % 3 == 0)
            view.unbind(input);
        else if (how % 3 == 1)
            view.bind(input, BWPolyInput::single(&pool.values[start]));
        else
            view.bind(input, BWPolyInput::array(&pool.values[start], (64 - start) > 0 ? in.byte() % (64 - start + 1) : 0));
    }
    view.resizeObjects();
}

void checkZones(BWZoneHandlerInterface& zones) {
    for (uint64_t n = 0; BWZone* zone = zones.visibleZone(n); ++n)
        check(zone->start >= BWZone::kFirstPosition && zone->end <= BWZone::kLastPosition,
              "edited zones stay within the keys a zone may hold");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quietMessages();
    Input in(data, size);
    Floats pool;
    pool.refill(in);

    BWTableXY table(nullptr, in.byte() % 70, 0, true);
    BWTableXY second(nullptr, in.byte() % 40, 0, true);
    BWBtnLine line(nullptr, in.byte() % 40, 1 + in.byte() % 4, true);
    BWZoneHandlerContainer<BWFloatZoneHandler> zones(nullptr, 0, 1 + in.byte() % 4, true);
    auto* sheet = new CBitmap(1 + in.byte() % 40, 1 + in.byte() % 40);
    for (int32_t i = 0; i < sheet->getWidth() * sheet->getHeight(); ++i) sheet->getPixels()[i] = in.word();
    sheet->setPixelsHaveAlpha(true);
    auto* strip = new CBitmap(1 + in.byte() % 30, 1 + in.byte() % 90);
    {
        BWFrame frame(CRect(0, 0, 400, 300), nullptr, nullptr);
        COffscreenContext canvas(&frame, 400, 300);
        auto* tableView = new BWTableView(CRect(10, 10, 10 + in.byte(), 20 + in.byte() % 120), nullptr, 1, &frame, 1);
        auto* lineView = new BWBtnLineView(CRect(10, 150, 10 + in.byte(), 150 + 1 + in.byte() % 30), nullptr, 2, &frame);
        auto* zoneView = new BWZoneView(CRect(10, 200, 10 + in.byte(), 212), nullptr, 3, &frame, &zones);
        auto* polyView = new BWPolyObjectView(CRect(0, 0, 1 + in.byte() % 60, 1 + in.byte() % 60), nullptr, 4, &frame);
        auto* container = new BWViewContainer(CRect(200, 100, 390, 290), nullptr, 5, &frame);
        frame.addView(tableView);
        frame.addView(lineView);
        frame.addView(zoneView);
        frame.addView(container);
        container->addView(polyView, in.byte() % 100 - 50, in.byte() % 100);
        tableView->setTable(&table);
        tableView->secondTable = &second;
        tableView->watchedValue = &pool.values[in.byte() % 64];
        tableView->heightLookup = &pool.values[0];
        tableView->heightLookupLength = in.byte() % 65;
        tableView->setStepBitmap(in.byte() & 1 ? strip : nullptr, in.byte() % 70);
        lineView->model = &line;
        lineView->playPosition = &pool.values[in.byte() % 64];
        lineView->setStepBitmap(strip);
        zoneView->scroll = &pool.values[in.byte() % 64];
        zoneView->setZoneBitmap(in.byte() & 1 ? strip : nullptr);
        polyView->setSheet(sheet);
        bindObjects(*polyView, pool, in);

        for (int step = 0; in.more() && step < 300; ++step) {
            CPoint where(in.coordinate(), in.coordinate());
            const CButtonState buttons = static_cast<CButtonState>(in.byte()) << 1 | (in.byte() & 1 ? kDoubleClick : 0);
            const int32_t index = in.byte() % 2;
            const uint8_t op = in.byte();
            switch (op % 16) {
                case 0: frame.onMouseDown(where, buttons, index); break;
                case 1: frame.onMouseMoved(where, buttons, index); break;
                case 2: frame.onMouseUp(where, buttons, index); break;
                case 3: frame.onWheel(where, static_cast<float>(static_cast<int8_t>(in.byte())) / 8, buttons); break;
                case 4: table.setFlags(in.word()); break;
                case 5: {
                    tableView->horizontalZoom = in.value();
                    tableView->horizontalScroll = in.value();
                    tableView->verticalZoom = in.value();
                    tableView->verticalScroll = in.value();
                    tableView->playRange = {in.value(), in.value(), in.byte() % 200u, in.byte() % 90u, in.value()};
                    break;
                }
                case 6: table.resize(in.byte() % 90, in.byte() % 3); break;
                case 7: line.resize(in.byte() % 50, 1 + in.byte() % 4); break;
                case 8:
                    zoneView->visibleKeys = static_cast<int8_t>(in.byte());
                    zoneView->keyLimit = in.byte();
                    zoneView->lowestKey = static_cast<int8_t>(in.byte()) % 8;
                    zoneView->createOnClick = in.byte() & 1;
                    zoneView->pushAlways = in.byte() & 1;
                    break;
                case 9: pool.refill(in); break;
                case 10: bindObjects(*polyView, pool, in); break;
                case 11: {
                    polyView->drawMode = in.byte() % 9;
                    if (in.byte() & 1) {
                        auto* image = new CBitmap(polyView->getViewSize().width(), polyView->getViewSize().height());
                        polyView->setOffscreenImage(image);
                        image->forget();
                    } else {
                        polyView->setOffscreenImage(nullptr);
                    }
                    polyView->alphaDraw = in.byte() & 1;
                    break;
                }
                case 12: {
                    const int32_t tags[] = {10058, 10059, 10060, 10061, 10064, 10066, 10067, 1};
                    Companion companion(tags[in.byte() % 8], in.byte() & 1 ? 1.0f : 0.5f);
                    if (in.byte() & 1)
                        tableView->valueChanged(&companion);
                    else
                        zoneView->valueChanged(&companion);
                    break;
                }
                case 13: {
                    CPoint at(in.coordinate(), in.coordinate());
                    container->activate(in.byte() % 11, in.byte() & 1 ? &at : nullptr, in.byte());
                    break;
                }
                case 14: frame.drawRect(&canvas, CRect(where.x, where.y, where.x + 200, where.y + 200)); break;
                default:
                    frame.idle();
                    if (in.byte() & 1) frame.onMouseCancel(index);
                    break;
            }
            check(!table.hasFlag(BWTable::kInUseByView) && !second.hasFlag(BWTable::kInUseByView),
                  "no view leaves a table marked in use");
            checkZones(zones);
        }
        frame.draw(&canvas);
        // The views go with the frame; the models and images outlive them.
    }
    sheet->forget();
    strip->forget();
    return 0;
}
