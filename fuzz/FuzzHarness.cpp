// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzHarness.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/CApp.h"
#include "core/CError.h"
#include "core/CLog.h"
#include "platform/MessageBox.h"

// The sanitizers' report line, which reaches the fuzzer's log even when the
// program's own standard error is closed; absent from the plain replay build.
extern "C" void __sanitizer_report_error_summary(const char* summary) __attribute__((weak));

namespace {

[[noreturn]] void Raise(const char* message) { throw FuzzHarness::CriticalErrorRaised{message}; }

// The folder goes with everything in it when the program ends normally
// (libFuzzer's end of a timed run included).
class PrivateFolder {
public:
    PrivateFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pavendra-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data())) path = pattern + "/";
    }
    ~PrivateFolder()
    {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

}  // namespace

const std::string& FuzzHarness::Folder()
{
    static PrivateFolder folder;
    static const bool ready = [] {
        if (folder.path.empty()) Finding("no temporary folder");
        MessageBox::SendToStandardError(true);
        App.SetProgramFolder(folder.path.c_str());
        App.SetWriteFolder(folder.path.c_str());
        Error.SetHandler(Raise);
        return true;
    }();
    (void)ready;
    return folder.path;
}

void FuzzHarness::WriteFile(const std::string& name, const void* data, std::size_t size)
{
    std::string path = Folder() + name;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) Finding("cannot write", path);
    if (size > 0 && std::fwrite(data, 1, size, out) != size) Finding("cannot write", path);
    std::fclose(out);
}

void FuzzHarness::BeginInput()
{
    Folder();
    Log.Restart();
}

void FuzzHarness::Run(const std::function<void()>& work)
{
    try {
        work();
    } catch (const CriticalErrorRaised& error) {
        Finding("critical error", error.message);
    }
}

void FuzzHarness::Finding(const char* what, const std::string& detail)
{
    std::string line = "FINDING: " + std::string(what) + (detail.empty() ? "" : ": " + detail);
    while (!line.empty() && line.back() == '\n') line.pop_back();
    std::fprintf(stderr, "==%d== %s\n", static_cast<int>(getpid()), line.c_str());
    std::fflush(stderr);
    if (__sanitizer_report_error_summary) __sanitizer_report_error_summary(line.c_str());
    std::abort();
}
