// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "ArchiveReader.h"
#include "resources/ResourceNames.h"

namespace {

TEST(ArchiveNames, TheBuiltArchiveOpens)
{
    EXPECT_TRUE(LoadError().empty()) << LoadError();
    EXPECT_FALSE(BuiltArchive().Entries().empty());
}

TEST(ArchiveNames, HoldsEveryFileTheGameLoadsUnderItsExactName)
{
    for (const std::string& name : NamesTheGameLoads())
        EXPECT_NE(BuiltArchive().Find(name), nullptr) << "missing: " << name;
}

// An entry the game never asks for is most likely a misspelt name.
TEST(ArchiveNames, HoldsNothingTheGameDoesNotLoad)
{
    std::vector<std::string> wanted = NamesTheGameLoads();
    for (const auto& [name, bytes] : BuiltArchive().Entries())
        EXPECT_NE(std::find(wanted.begin(), wanted.end(), name), wanted.end()) << "unexpected: " << name;
}

TEST(ArchiveNames, NoEntryIsEmpty)
{
    for (const auto& [name, bytes] : BuiltArchive().Entries()) EXPECT_FALSE(bytes.empty()) << name;
}

TEST(ArchiveNames, FontsAreTrueTypeFacesShippedWithTheirLicence)
{
    for (const char* name : {res::kSerifFont, res::kSansFont}) {
        const Bytes* font = BuiltArchive().Find(name);
        ASSERT_NE(font, nullptr) << name;
        ASSERT_GE(font->size(), 4u);
        const unsigned char trueType[4] = {0x00, 0x01, 0x00, 0x00};
        EXPECT_EQ(std::memcmp(font->data(), trueType, 4), 0) << name;
    }
    const Bytes* licence = BuiltArchive().Find(res::kFontLicence);
    ASSERT_NE(licence, nullptr);
    std::string text(licence->begin(), licence->end());
    EXPECT_NE(text.find("SIL Open Font License"), std::string::npos);
}

}  // namespace
