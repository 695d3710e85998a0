#pragma once
// The colours that the widget library's editors take at run time rather than
// from their own fields: the ruler strip and its text, the highlight of a
// zone preview, the panel behind the object views, and the zone colours a new
// zone view copies.  One place, so that every editor reads the same panel.

#include "guitoolkit/CColor.h"

namespace VSTGUI::runTimeColours {

inline constexpr CColor kPanel{0x1E, 0x20, 0x24, 255};
inline constexpr CColor kRuler{0x26, 0x29, 0x2E, 255};
inline constexpr CColor kText{0xC9, 0xCD, 0xD3, 255};
inline constexpr CColor kHighlight{0xF2, 0xA5, 0x41, 255};
inline constexpr CColor kZoneFrom{0x2E, 0x6E, 0x78, 255};
inline constexpr CColor kZoneTo{0x4F, 0xB3, 0xBF, 255};
inline constexpr CColor kZoneFrame{0xC9, 0xCD, 0xD3, 255};

}  // namespace VSTGUI::runTimeColours
