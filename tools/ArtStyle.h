// SPDX-License-Identifier: GPL-3.0-or-later
// The one palette of the game's art: deep night blue, warm gold, cream text
// and a teal for whatever is switched on.
#pragma once

#include "tools/Canvas.h"

namespace style {

inline constexpr Rgb kNightTop = Hex(0x1E325A);
inline constexpr Rgb kNightBottom = Hex(0x0C1528);
inline constexpr Rgb kNightGlow = Hex(0x2E4C82);
inline constexpr Rgb kPanelTop = Hex(0x243B66);
inline constexpr Rgb kPanelBottom = Hex(0x1A2C4E);
inline constexpr Rgb kPanelEdge = Hex(0x5A7AB0);
inline constexpr Rgb kWell = Hex(0x0A1222);
inline constexpr Rgb kWellEdge = Hex(0x3A5584);
inline constexpr Rgb kShadow = Hex(0x03060C);

inline constexpr Rgb kGold = Hex(0xF2B84B);
inline constexpr Rgb kGoldDeep = Hex(0xCF8A2E);
inline constexpr Rgb kGoldPale = Hex(0xFFE6A6);
inline constexpr Rgb kCream = Hex(0xFFF3D9);
inline constexpr Rgb kInk = Hex(0x16223D);

inline constexpr Rgb kButtonTop = Hex(0x36578F);
inline constexpr Rgb kButtonBottom = Hex(0x1E3462);
inline constexpr Rgb kButtonEdge = Hex(0xC99A47);
inline constexpr Rgb kHoverTop = Hex(0xFFD877);
inline constexpr Rgb kHoverBottom = Hex(0xEE9F35);
inline constexpr Rgb kHoverEdge = Hex(0xFFF4CF);
inline constexpr Rgb kOnTop = Hex(0x3DBBA8);
inline constexpr Rgb kOnBottom = Hex(0x1B7A6E);
inline constexpr Rgb kOnEdge = Hex(0xB5F5EA);

inline constexpr Rgb kWhite = Hex(0xFFFFFF);

}  // namespace style
