// SPDX-License-Identifier: GPL-3.0-or-later
// Releasing the largest group of a 13 x 13 cut where nothing fits: the
// candidate search that runs on every release, beside a plain copy of an
// 800 x 600 frame measured in the same run. The "ratio" counter is the time
// of one release divided by the time of one copy.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "BenchSupport.h"
#include "platform/Surface.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "screens/CMenu.h"

namespace {

// The pre-joined ring of a 13 x 13 Border cut (48 pieces, 40 candidates) is
// the dropped group; the loose pieces lie in a heap far from it.
void SetUpRingDrop()
{
    bench::StartCut13x13(11, true);
    std::vector<CGroup>& groups = Game.TestHookGroups();
    auto ring = std::max_element(groups.begin(), groups.end(), [](const CGroup& a, const CGroup& b) {
        return a.members.size() < b.members.size();
    });
    std::rotate(ring, ring + 1, groups.end());
    for (CGroup& group : groups) {
        if (group.members.size() > 1) continue;
        group.x = 700;
        group.y = 500;
    }
    Game.SyncInGroup();
}

void BM_DropRingWhereNothingFits13x13(benchmark::State& state)
{
    SetUpRingDrop();
    const std::size_t groupsBefore = Game.GetGroups().size();
    const double reference = bench::CopyOfPicture(800, 600);
    bench::RunAgainst(state, reference, [] { Game.Drop(); });
    state.counters["candidates"] = static_cast<double>(Game.GetGroups().back().canJoin.size());
    if (Game.GetGroups().size() != groupsBefore) state.SkipWithError("a group joined; the measure is void");
    Game.ClearGroups();
    Game.FreePieces();
    CutPreview.Release();
    CMenu::SetBorder(false);
}
BENCHMARK(BM_DropRingWhereNothingFits13x13)->Unit(benchmark::kMicrosecond);

}  // namespace
