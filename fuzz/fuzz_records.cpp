// SPDX-License-Identifier: GPL-3.0-or-later
// The records reader over any bytes: whatever "records.pvd" holds, reading it
// never crashes nor ends the game, and what it read is written and read back
// unchanged.
#include <cstdint>
#include <string>

#include "FuzzHarness.h"
#include "puzzle/PuzzleRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzHarness::BeginInput();
    FuzzHarness::Run([data, size] {
        const std::string text(reinterpret_cast<const char*>(data), size);
        const auto records = PuzzleRecords::Parse(text);
        int skipped = 0;
        if (PuzzleRecords::Parse(PuzzleRecords::Text(records), &skipped) != records || skipped != 0)
            FuzzHarness::Finding("records changed on the way through the file");
    });
    return 0;
}
