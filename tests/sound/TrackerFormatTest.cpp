// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "TestSounds.h"
#include "platform/TrackerFormat.h"

namespace {

Bytes WithTextAt(std::size_t size, std::size_t offset, const char* text)
{
    Bytes bytes(size, 0);
    std::memcpy(bytes.data() + offset, text, std::strlen(text));
    return bytes;
}

TrackerFormat Detect(const Bytes& bytes)
{
    return DetectTrackerFormat(bytes.data(), bytes.size());
}

} // namespace

TEST(TrackerFormat, RecognisesEachKindByItsMark)
{
    EXPECT_EQ(Detect(WithTextAt(400, 0, "Extended Module: song")), TrackerFormat::XM);
    EXPECT_EQ(Detect(WithTextAt(400, 0, "IMPM")), TrackerFormat::IT);
    EXPECT_EQ(Detect(WithTextAt(400, 44, "SCRM")), TrackerFormat::S3M);
    EXPECT_EQ(Detect(MakeLoopingMod()), TrackerFormat::MOD);
}

TEST(TrackerFormat, AcceptsTheChannelSignaturesOfMod)
{
    for (const char* tag : {"M.K.", "M!K!", "M&K!", "FLT4", "FLT8", "4CHN", "6CHN", "8CHN", "10CH", "32CH", "TDZ4", "OKTA"})
        EXPECT_EQ(Detect(WithTextAt(1084, 1080, tag)), TrackerFormat::MOD) << tag;
    for (const char* tag : {"M.K ", "0CHN", "00CH", "TDZ0", "WAVE", "\0\0\0\0"})
        EXPECT_EQ(Detect(WithTextAt(1084, 1080, tag)), TrackerFormat::Unknown) << tag;
}

TEST(TrackerFormat, RejectsOtherContentAndTruncatedFiles)
{
    EXPECT_EQ(Detect(MakeSineWav(440, 50)), TrackerFormat::Unknown);
    EXPECT_EQ(Detect(Bytes{}), TrackerFormat::Unknown);
    EXPECT_EQ(DetectTrackerFormat(nullptr, 2000), TrackerFormat::Unknown);
    // The marks must lie wholly inside the data.
    EXPECT_EQ(Detect(WithTextAt(47, 44, "SCR")), TrackerFormat::Unknown);
    Bytes mod = MakeLoopingMod();
    mod.resize(1083);
    EXPECT_EQ(Detect(mod), TrackerFormat::Unknown);
    EXPECT_EQ(Detect(WithTextAt(16, 0, "Extended Module")), TrackerFormat::Unknown);
}
