// SPDX-License-Identifier: GPL-3.0-or-later
// The data archive reader over any bytes: whatever "data.000" holds, opening
// it and reading the game's resources from it must not crash or overflow.
// Damage the reader detects (an entry that cannot be opened, a size it cannot
// believe) is a critical error naming the archive: that is the reader's
// answer. Any other critical error is a finding.
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzHarness.h"
#include "core/CFile.h"
#include "resources/ResourceNames.h"

namespace {

bool IsDamageAnswer(const std::string& message)
{
    return message.rfind("CFile: Couldn't open file ", 0) == 0 ||
           message.rfind("CFile: Couldn't get size of file in ", 0) == 0;
}

void ReadResources(const std::uint8_t* data, std::size_t size)
{
    CFile archive(FileRoot::Program);
    // The reader's own code over the bytes as they would lie in "data.000",
    // held in memory rather than written and read back each time.
    if (!archive.TestHookOpenArchive("data.000", data, size)) return;
    const char* names[] = {res::kLogo, res::kWindowIcon, res::kMusic, res::kSoundButton, "DATA/LOGO.BMP"};
    for (const char* name : names) {
        if (!archive.Open(name, FILE_READ)) continue;
        std::uint32_t length = archive.GetSize();
        std::vector<unsigned char> bytes(length);
        if (archive.Read(bytes.data(), length) > length) FuzzHarness::Finding("read more than asked for");
        archive.Close();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzHarness::BeginInput();
    try {
        ReadResources(data, size);
    } catch (const FuzzHarness::CriticalErrorRaised& error) {
        if (!IsDamageAnswer(error.message)) FuzzHarness::Finding("critical error", error.message);
    }
    return 0;
}
