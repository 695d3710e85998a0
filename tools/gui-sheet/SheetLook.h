#pragma once
// The sheets' colours: the interface's palette, so that what a sheet shows
// sits on what the panel will be.

#include "guitoolkit/CColor.h"

namespace sheet {

inline constexpr VSTGUI::CColor kPanel{0x1E, 0x20, 0x24, 255};
inline constexpr VSTGUI::CColor kSection{0x26, 0x29, 0x2E, 255};
inline constexpr VSTGUI::CColor kSeparator{0x34, 0x38, 0x3F, 255};
inline constexpr VSTGUI::CColor kTitle{0xC9, 0xCD, 0xD3, 255};
inline constexpr VSTGUI::CColor kLabel{0x8A, 0x90, 0x99, 255};
inline constexpr VSTGUI::CColor kAmber{0xF2, 0xA5, 0x41, 255};
inline constexpr VSTGUI::CColor kTeal{0x4F, 0xB3, 0xBF, 255};

}  // namespace sheet
