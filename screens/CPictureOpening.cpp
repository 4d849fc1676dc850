// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/CPictureOpening.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <system_error>

#include "core/CLog.h"
#include "platform/PictureDecoder.h"
#include "platform/VirtualKeys.h"
#include "resources/CFont.h"

CPictureOpening PictureOpening;

bool CPictureOpening::decodeAtOnce = false;
std::atomic<int> CPictureOpening::running{0};

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kBoxWidth = 520;
constexpr int kMargin = 24;
// The colours of the game's messages.
constexpr Colour kBoxColour = MakeColour(22, 30, 52);
constexpr Colour kEdgeColour = MakeColour(214, 178, 92);

// One picture decodes at a time: a decoder given up on that still runs keeps
// its memory until it ends, and the next waits for it, so that two never
// hold the memory budget at once.
std::mutex oneAtATime;

// Test hook for the end-to-end tests: a decoder stuck in a library for this
// many seconds, which nothing can stop.
double StallSeconds()
{
    const char* value = std::getenv("PAVENDRA_TEST_DECODE_STALL");
    return value ? std::atof(value) : 0;
}

}  // namespace

// What the decoding thread and the frame share: the thread writes `result`
// and then sets `done`; the frame reads `result` only after it saw `done`.
struct CPictureOpening::Job {
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    CMgrImage::DecodedPicture result;
    Clock::time_point started = Clock::now();

    double Seconds() const { return std::chrono::duration<double>(Clock::now() - started).count(); }
};

CPictureOpening::~CPictureOpening()
{
    if (!worker.joinable()) return;
    if (job && job->done.load())
        worker.join();
    else
        worker.detach();
}

void CPictureOpening::Start(const std::string& file, float workSize, float minSide, int scale)
{
    Clear();
    PictureDecoder::PrepareLibraries();
    path = file;
    noticeShown = false;
    job = std::make_shared<Job>();
    const std::string inProgramFolder = CMgrImage::InProgramFolder(file);
    const double stall = StallSeconds();
    auto decode = [work = job, file, inProgramFolder, workSize, minSide, scale, stall] {
        {
            std::lock_guard<std::mutex> alone(oneAtATime);
            if (stall > 0) std::this_thread::sleep_for(std::chrono::duration<double>(stall));
            if (!work->stop.load())
                work->result = CMgrImage::DecodePlayerPicture(file, inProgramFolder, workSize, minSide, scale, &work->stop);
        }
        work->done.store(true, std::memory_order_release);
        running.fetch_sub(1);
    };
    running.fetch_add(1);
    if (!decodeAtOnce) {
        try {
            worker = std::thread(decode);
            return;
        } catch (const std::system_error& error) {
            Log.Write("CPictureOpening: No thread for decoding (%s); decoding in the frame\n", error.what());
        }
    }
    decode();
}

bool CPictureOpening::TakeResult(CMgrImage::DecodedPicture& result, std::string& file)
{
    if (!job) return false;
    if (job->done.load(std::memory_order_acquire)) {
        if (worker.joinable()) worker.join();
        result = std::move(job->result);
        file = path;
        job.reset();
        return true;
    }
    if (job->Seconds() < kGiveUpSeconds) return false;
    GiveUp();
    result = CMgrImage::DecodedPicture();
    result.problem = CMgrImage::kTooSlow;
    result.detail = "still decoding after " + std::to_string(static_cast<int>(kGiveUpSeconds)) + " s; given up";
    file = path;
    return true;
}

void CPictureOpening::GiveUp()
{
    if (!job) return;
    // A decoder that can stop does so soon; the thread keeps its own share
    // of the job, and whatever it still makes is thrown away with it.
    job->stop.store(true);
    if (worker.joinable()) worker.detach();
    job.reset();
}

bool CPictureOpening::OnKeyDown(int key)
{
    if (!IsBusy()) return false;
    if (key == VK_ESCAPE) {
        Log.Write("CPictureOpening: Stopped opening %s\n", path.c_str());
        GiveUp();
    }
    return true;
}

void CPictureOpening::Update(Surface& back)
{
    if (!job || job->Seconds() < kNoticeSeconds) return;
    if (!noticeShown) {
        Log.Write("CPictureOpening: Still opening %s\n", path.c_str());
        noticeShown = true;
    }
    const int lineHeight = std::max(SmallFont.LineHeight(), 16);
    const int boxHeight = 2 * kMargin + lineHeight;
    const int left = (kScreenWidth - kBoxWidth) / 2, top = (kScreenHeight - boxHeight) / 2;
    back.FillRect(left, top, kBoxWidth, boxHeight, kEdgeColour);
    back.FillRect(left + 2, top + 2, kBoxWidth - 4, boxHeight - 4, kBoxColour);
    SmallFont.Print((kScreenWidth - SmallFont.TextWidth(kNotice)) / 2, top + kMargin, "%s", kNotice);
}

void CPictureOpening::Clear()
{
    GiveUp();
    path.clear();
    noticeShown = false;
}

void CPictureOpening::EndProcessIfStillDecoding(int exitCode)
{
    if (running.load() == 0) return;
    Log.Write("CPictureOpening: The game ends without waiting for a picture's decoder\n");
    std::fflush(nullptr);
    std::_Exit(exitCode);
}
