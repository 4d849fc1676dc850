// SPDX-License-Identifier: GPL-3.0-or-later
// Where the game puts each picture and button on its 800 x 600 screen, and
// the sizes the art is made at to fit those places.
#pragma once

namespace layout {

inline constexpr int kScreenWidth = 800;
inline constexpr int kScreenHeight = 600;

// Picture page: thumbnails in 5 columns of 128 x 128 cells, and three
// buttons stacked 32 pixels apart.
inline constexpr int kThumbLeft = 44, kThumbTop = 48, kThumbStepX = 144, kThumbStepY = 136, kThumbBox = 128;
inline constexpr int kMenuButtonX = 352, kMenuButtonWidth = 96, kMenuButtonHeight = 30;
inline constexpr int kLoadGameY = 480, kCustomY = 512, kExitY = 544;
// Cut page.
inline constexpr int kPlayY = 512, kBackY = 544;
inline constexpr int kPreviewLeft = 288, kPreviewTop = 48, kPreviewBox = 448;
inline constexpr int kSliderMinX = 40, kSliderMaxX = 208, kKnobY = 332, kKnobWidth = 16, kKnobHeight = 24;
inline constexpr int kCountX = 210, kCountY = 310;
inline constexpr int kArrowLeftX = 28, kArrowRightX = 216, kArrowY = 412, kArrowWidth = 26, kArrowHeight = 28;
inline constexpr int kLabelLeft = 55, kLabelTop = 412, kLabelRight = 216, kLabelBottom = 440;
// Calculation page.
inline constexpr int kCalculateX = 4, kCalculateY = 92;
inline constexpr int kProgressX = 38, kProgressY = 126, kProgressWidth = 196, kProgressHeight = 28;
inline constexpr int kPercentX = 125, kPercentY = 129;

// In-game panel: the top bar (drawn with black left out) and its buttons 56
// apart, the clock, the bottom bar and its buttons.
inline constexpr int kTopButtonStep = 56, kTopButtonHeight = 30;
inline constexpr int kMenuX = 0, kSaveX = 56, kLoadX = 112;
inline constexpr int kTimerX = 672, kClockTextX = 712, kClockTextY = 5;
inline constexpr int kBottomBarY = 563, kBottomBarHeight = 37;
inline constexpr int kBottomButtonY = 569, kBottomButtonHeight = 26;
inline constexpr int kBorderX = 8, kPictureX = 128, kArrangeX = 252, kWideButtonWidth = 112;
inline constexpr int kSwatchX = 672, kSwatchStep = 28, kSwatchSize = 26;
// The small picture window: frame drawn with black left out, the picture at (+4, +15).
inline constexpr int kSmallPicture = 224, kFrameLeft = 4, kFrameTop = 15;
inline constexpr int kFrameWidth = kSmallPicture + 2 * kFrameLeft, kFrameHeight = kFrameTop + kSmallPicture + 4;

// The board colours of the four swatches, red first.
inline constexpr int kBoardColours[4][3] = {{127, 154, 168}, {0, 122, 183}, {242, 205, 186}, {170, 103, 103}};

}  // namespace layout
