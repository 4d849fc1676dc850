// The data archive reader over any bytes: whatever "data.000" holds, opening
// it and reading the game's resources from it must not crash or overflow.
// Damage the reader detects (an entry that cannot be opened, a size it cannot
// believe) ends in a critical error, which exits with -1: that is the reader's
// answer, not a fault, though a fuzzer will stop there.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/CApp.h"
#include "platform/MessageBox.h"
#include "resources/CFile.h"
#include "resources/ResourceNames.h"

namespace {

const std::string& Folder()
{
    static std::string folder = [] {
        char pattern[] = "/tmp/pavendra-fuzz-XXXXXX";
        std::string made = mkdtemp(pattern) ? pattern : "/tmp";
        return made + "/";
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MessageBox::SendToStandardError(true);
    App.SetProgramFolder(Folder().c_str());
    App.SetWriteFolder(Folder().c_str());
    std::string path = Folder() + "data.000";
    if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    CFile archive(FileRoot::Program);
    if (!archive.OpenArchive("data.000")) return 0;
    const char* names[] = {res::kLogo, res::kWindowIcon, res::kMusic, res::kSoundButton, "DATA/LOGO.BMP"};
    for (const char* name : names) {
        if (!archive.Open(name, FILE_READ)) continue;
        std::uint32_t length = archive.GetSize();
        std::vector<unsigned char> bytes(length);
        archive.Read(bytes.data(), length);
        archive.Close();
    }
    return 0;
}
