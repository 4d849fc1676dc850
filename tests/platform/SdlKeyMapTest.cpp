// SPDX-License-Identifier: GPL-3.0-or-later
// Keys by their USB HID usage numbers (SDL scancodes) and SDL keycodes.
#include <gtest/gtest.h>

#include "platform/SdlKeyMap.h"
#include "platform/VirtualKeys.h"

namespace {

// A few SDL scancodes (USB HID usages) and keycodes, spelled out so that the
// test needs no SDL header.
constexpr int kScanA = 4, kScanZ = 29, kScan1 = 30, kScan0 = 39;
constexpr int kScanReturn = 40, kScanEscape = 41, kScanSpace = 44, kScanSemicolon = 51;
constexpr int kScanF1 = 58, kScanF12 = 69, kScanF13 = 104, kScanF24 = 115;
constexpr int kScanRight = 79, kScanUp = 82, kScanKpEnter = 88, kScanKp1 = 89, kScanKp0 = 98;
constexpr int kScanLeftCtrl = 224, kScanRightShift = 229, kScanLeftAlt = 226;
constexpr int kKeyUnknown = 0;

TEST(SdlKeyMapTest, EscapeIs27AndTheCommonKeysHaveTheirCodes)
{
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanEscape, 27), 27);
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanReturn, '\r'), VK_RETURN);
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanKpEnter, kKeyUnknown), VK_RETURN);
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanSpace, ' '), VK_SPACE);
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanRight, kKeyUnknown), VK_RIGHT);
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanUp, kKeyUnknown), VK_UP);
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanLeftCtrl, kKeyUnknown), VK_CONTROL);
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanRightShift, kKeyUnknown), VK_SHIFT);
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanLeftAlt, kKeyUnknown), VK_MENU);
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanSemicolon, ';'), VK_OEM_1);
}

TEST(SdlKeyMapTest, LettersAndDigitsFollowTheLayout)
{
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanA, 'a'), 'A');
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanZ, 'z'), 'Z');
    // On a French layout the key at the US "A" place types "q".
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanA, 'q'), 'Q');
    // A letter typed at a punctuation place (French "M") is that letter.
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanSemicolon, 'm'), 'M');
    // A digit-row key that types a symbol in the layout is still its digit.
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScan1, '&'), '1');
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScan0, '0'), '0');
}

TEST(SdlKeyMapTest, FunctionAndKeypadKeysGoByPlace)
{
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanF1, kKeyUnknown), VK_F1);
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanF12, kKeyUnknown), VK_F1 + 11);
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanF13, kKeyUnknown), VK_F1 + 12);
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanF24, kKeyUnknown), VK_F1 + 23);
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanKp1, '1'), VK_NUMPAD0 + 1);
    EXPECT_EQ(SdlKeyMap::VirtualKey(kScanKp0, '0'), VK_NUMPAD0);
}

TEST(SdlKeyMapTest, EveryCodeIsBelow256AndUnknownKeysAreZero)
{
    for (int scancode = 0; scancode < 512; ++scancode) {
        int key = SdlKeyMap::VirtualKey(scancode, kKeyUnknown);
        EXPECT_GE(key, 0);
        EXPECT_LT(key, 256) << "scancode " << scancode;
    }
    EXPECT_EQ(SdlKeyMap::VirtualKey(0, kKeyUnknown), 0);
    EXPECT_EQ(SdlKeyMap::VirtualKey(400, kKeyUnknown), 0);
}

}  // namespace
