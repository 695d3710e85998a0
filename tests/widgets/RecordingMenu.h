#pragma once
// A stand-in for the option menu that logs what a widget asks of it.

#include <string>

#include "support/CallLog.h"
#include "support/ToolkitDoubles.h"
#include "widgets/BWOptionMenuBase.h"

namespace widget_test {

class RecordingMenu : public VSTGUI::BWOptionMenuBase {
public:
    explicit RecordingMenu(CallLog& log) : BWOptionMenuBase(VSTGUI::CRect(0, 0, 60, 40), nullptr, 0, nullptr), log(log) {}

    void setExtraInt1(int32_t value) override { log.push_back(describeCall("menu.int1", value)); }
    void setExtraInt2(int32_t value) override { log.push_back(describeCall("menu.int2", value)); }
    void popup(int32_t mode, const VSTGUI::CPoint* where, int32_t identifier, const VSTGUI::CRect& area,
               bool toLeft) override {
        const std::string at = where ? std::to_string(where->x) + "," + std::to_string(where->y) : "none";
        log.push_back("menu.popup(" + std::to_string(mode) + "," + at + "," + std::to_string(identifier) + "," +
                      toolkit_test::describe(area) + "," + (toLeft ? "true" : "false") + ")");
    }
    void openList(const VSTGUI::CPoint& where, bool toLeft) override {
        log.push_back(describeCall("menu.openList", where.x, where.y, toLeft));
    }

    CallLog& log;
};

}  // namespace widget_test
