// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundTest.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/CApp.h"
#include "core/CLog.h"
#include "platform/MixerAudio.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

void SoundTest::SetUp()
{
    std::string pattern = (fs::temp_directory_path() / "pavendra-sound-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
    App.SetProgramFolder((folder + "/").c_str());
    App.SetWriteFolder((folder + "/").c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (folder + "/output.raw").c_str(), 1);
}

void SoundTest::TearDown()
{
    if (capturing) LoggedText();
    // A test that stopped half-way must not leave the device open for the next.
    MixerAudio::System().Free();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

void SoundTest::WriteSoundFile(const std::string& name, const Bytes& bytes)
{
    fs::path path = fs::path(folder) / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void SoundTest::RemoveSoundFile(const std::string& name)
{
    fs::remove(fs::path(folder) / name);
}

void SoundTest::UseNoAudioDevice()
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
}

std::size_t SoundTest::OutputSize() const
{
    std::error_code error;
    auto size = fs::file_size(fs::path(folder) / "output.raw", error);
    return error ? 0 : std::size_t(size);
}

int SoundTest::OutputPeak(std::size_t from, std::size_t to) const
{
    std::string output = ReadAll(fs::path(folder) / "output.raw");
    to = std::min(to, output.size()) & ~std::size_t(1);
    int peak = 0;
    for (std::size_t at = from & ~std::size_t(1); at < to; at += 2) {
        auto value = std::int16_t(std::uint8_t(output[at]) | (std::uint8_t(output[at + 1]) << 8));
        peak = std::max(peak, std::abs(int(value)));
    }
    return peak;
}

// The log lands on the standard error stream or in "debug.log" in the write
// folder; both are collected.
void SoundTest::StartLogCapture()
{
    Log.Restart();
    testing::internal::CaptureStderr();
    capturing = true;
}

std::string SoundTest::LoggedText()
{
    // "debug.log" is a text file: its line ends are CR LF on disk.
    std::string log = ReadAll(fs::path(folder) / "debug.log");
    log.erase(std::remove(log.begin(), log.end(), '\r'), log.end());
    if (!capturing) return log;
    capturing = false;
    return testing::internal::GetCapturedStderr() + log;
}

bool SoundTest::WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds bound)
{
    auto deadline = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
