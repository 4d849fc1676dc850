// SPDX-License-Identifier: GPL-3.0-or-later
// The game installed: the tree "cmake --install" lays out under a prefix of
// the installer's choosing (with DESTDIR), checked by the desktop's own
// validators; and the Debian package, unpacked and started from a read-only
// folder, installed and removed again.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "GameSession.h"
#include "app/CApp.h"
#include "platform/Letterbox.h"

namespace fs = std::filesystem;

namespace {

const std::string kAppId = PAVENDRA_APP_ID;
const std::vector<int> kIconSizes = {16, 24, 32, 48, 64, 128, 256};
// Everything the Custom button opens, by the names the desktop gives them.
const std::set<std::string> kPictureTypes = {"image/jpeg", "image/png",   "image/webp", "image/gif",
                                             "image/tiff", "image/bmp",   "image/x-tga", "image/heif",
                                             "image/heic", "image/avif"};

Subprocess::Result RunCommand(const std::vector<std::string>& command, const std::vector<std::pair<std::string, std::string>>& environment = {},
                       double seconds = 120)
{
    Subprocess::Options options;
    options.environment = environment;
    return Subprocess::Run(command, options, seconds);
}

// A command's standard output and error together, for its complaints.
Subprocess::Result RunTalking(const std::vector<std::string>& command)
{
    std::vector<std::string> shell = {"sh", "-c", "\"$@\" 2>&1", "sh"};
    shell.insert(shell.end(), command.begin(), command.end());
    return RunCommand(shell);
}

// Every file and link under the folder, by its path inside it.
std::set<std::string> FilesUnder(const fs::path& folder)
{
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (!entry.is_directory() || entry.is_symlink()) files.insert(entry.path().lexically_relative(folder).string());
    return files;
}

std::set<std::string> ExpectedInstall()
{
    std::set<std::string> files = {
        "bin/pavendra",
        "lib/pavendra/pavendra",
        "lib/pavendra/data.000",
        "share/applications/" + kAppId + ".desktop",
        "share/metainfo/" + kAppId + ".metainfo.xml",
        "share/man/man6/pavendra.6.gz",
        "share/doc/pavendra/copyright",
        "share/doc/pavendra/changelog.gz",
        "share/doc/pavendra/pictures.md",
        "share/doc/pavendra/music.md",
        "share/doc/pavendra/licences/fonts-liberation2.txt",
    };
    for (int size : kIconSizes) {
        std::string theme = std::to_string(size) + "x" + std::to_string(size);
        files.insert("share/icons/hicolor/" + theme + "/apps/" + kAppId + ".png");
    }
    for (const auto& licence : fs::directory_iterator(PAVENDRA_SOURCE_DIR "/assets/licences"))
        files.insert("share/doc/pavendra/licences/" + licence.path().filename().string());
    return files;
}

// The keys of the desktop entry's main group.
std::map<std::string, std::string> DesktopEntry(const std::string& text)
{
    std::map<std::string, std::string> keys;
    std::istringstream lines(text);
    std::string line;
    bool inEntry = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] == '[') inEntry = line == "[Desktop Entry]";
        std::size_t equals = line.find('=');
        if (inEntry && equals != std::string::npos) keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return keys;
}

// The licences the metadata's project_license joins with AND.
std::set<std::string> ProjectLicences(const std::string& metadata)
{
    const std::string open = "<project_license>";
    std::size_t start = metadata.find(open);
    std::size_t end = metadata.find("</project_license>");
    if (start == std::string::npos || end == std::string::npos) return {};
    start += open.size();
    std::istringstream words(metadata.substr(start, end - start));
    std::set<std::string> licences;
    for (std::string word; words >> word;)
        if (word != "AND") licences.insert(word);
    return licences;
}

// The licences the copyright file's paragraphs name, by their SPDX names.
std::set<std::string> CopyrightLicences(const std::string& copyright)
{
    const std::map<std::string, std::string> spdx = {
        {"GPL-3+", "GPL-3.0-or-later"}, {"GPL-2+", "GPL-2.0-or-later"}, {"public-domain", "LicenseRef-public-domain"}};
    std::set<std::string> licences;
    std::istringstream lines(copyright);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("License: ", 0) != 0) continue;
        const std::string name = line.substr(line.find(' ') + 1);
        auto known = spdx.find(name);
        licences.insert(known == spdx.end() ? name : known->second);
    }
    return licences;
}

std::set<std::string> SplitList(const std::string& list)
{
    std::set<std::string> items;
    std::istringstream in(list);
    std::string item;
    while (std::getline(in, item, ';'))
        if (!item.empty()) items.insert(item);
    return items;
}

TEST(InstallTest, TheInstallTreeUnderAnyPrefixHoldsTheGameAndPassesTheDesktopsValidators)
{
    TempFolder stage;
    const std::string prefix = "/opt/games";
    Subprocess::Result installed =
        RunCommand({"cmake", "--install", PAVENDRA_BUILD_DIR, "--prefix", prefix}, {{"DESTDIR", stage.Path()}});
    ASSERT_EQ(installed.exitCode, 0) << installed.output;
    const fs::path root = stage.Path() + prefix.substr(1);

    EXPECT_EQ(FilesUnder(root), ExpectedInstall());
    EXPECT_EQ(fs::read_symlink(root / "bin/pavendra"), "../lib/pavendra/pavendra");
    EXPECT_TRUE(fs::equivalent(root / "bin/pavendra", root / "lib/pavendra/pavendra"));
    EXPECT_NE(fs::status(root / "lib/pavendra/pavendra").permissions() & fs::perms::others_exec, fs::perms::none);

    // Drawn at each size, see-through in the corners, solid in the middle.
    for (int size : kIconSizes) {
        std::string theme = std::to_string(size) + "x" + std::to_string(size);
        fs::path icon = root / "share/icons/hicolor" / theme / "apps" / (kAppId + ".png");
        Subprocess::Result seen = RunCommand(
            {"convert", icon, "-format", "%m %w %h %[channels] %[fx:p{0,0}.a] %[fx:p{w/2,h/2}.a]", "info:"});
        const std::string side = std::to_string(size);
        EXPECT_EQ(seen.output, "PNG " + side + " " + side + " srgba 0 1") << icon;
    }

    const fs::path entry = root / "share/applications" / (kAppId + ".desktop");
    const fs::path metainfo = root / "share/metainfo" / (kAppId + ".metainfo.xml");
    for (const std::vector<std::string>& validator : std::vector<std::vector<std::string>>{
             {"desktop-file-validate", entry},
             {"appstreamcli", "validate", "--no-net", metainfo},
             // The entry, the metadata and the icons together, as a software centre reads them.
             {"appstreamcli", "validate-tree", "--no-net", root},
         }) {
        Subprocess::Result verdict = RunTalking(validator);
        EXPECT_EQ(verdict.exitCode, 0) << validator[0] << ":\n" << verdict.output;
        // Not even a warning (pedantic notes are fine).
        for (const char* complaint : {"warning", "error", "W: ", "E: "})
            EXPECT_EQ(verdict.output.find(complaint), std::string::npos) << validator[0] << ":\n" << verdict.output;
    }
    Subprocess::Result manual =
        RunTalking({"sh", "-c", "gzip -dc \"$0\" | groff -man -ww -z -Tutf8", root / "share/man/man6/pavendra.6.gz"});
    EXPECT_EQ(manual.exitCode, 0);
    EXPECT_EQ(manual.output, "") << "the manual page has faults";

    std::map<std::string, std::string> keys = DesktopEntry(TempFolder::ReadFile(entry));
    EXPECT_EQ(keys["Exec"], "pavendra %f");
    EXPECT_EQ(keys["Icon"], kAppId);
    EXPECT_EQ(keys["Categories"], "Game;LogicGame;");
    EXPECT_EQ(SplitList(keys["MimeType"]), kPictureTypes);

    std::string metadata = TempFolder::ReadFile(metainfo);
    EXPECT_NE(metadata.find("<launchable type=\"desktop-id\">" + kAppId + ".desktop</launchable>"), std::string::npos);
    EXPECT_NE(metadata.find("<content_rating type=\"oars-1.1\""), std::string::npos);
    // The whole game's licence: the code's and each of the content's, the same
    // in the metadata and in the copyright file.
    const std::set<std::string> licences = ProjectLicences(metadata);
    EXPECT_EQ(licences, CopyrightLicences(TempFolder::ReadFile(root / "share/doc/pavendra/copyright")));
    EXPECT_EQ(licences.count("GPL-3.0-or-later"), 1u);
    // Nothing left for later: no address of a site the game does not have yet.
    EXPECT_EQ(metadata.find("http"), std::string::npos);
}

// The folder is read-only to whoever runs the game: for the superuser, who
// may write anywhere, the game runs as "nobody".
constexpr uid_t kNobody = 65534;

TEST(InstallTest, ThePackageStartsFromAReadOnlyFolderAndInstallsAndRemovesCleanly)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the package is made and tried from the plain build";
#endif
    TempFolder work;
    Subprocess::Result packed = RunCommand({"cpack", "-G", "DEB", "--config", PAVENDRA_BUILD_DIR "/CPackConfig.cmake", "-B",
                                     work / "package"},
                                    {}, 600);
    ASSERT_EQ(packed.exitCode, 0) << packed.output;
    fs::path deb;
    for (const auto& file : fs::directory_iterator(work / "package"))
        if (file.path().extension() == ".deb") deb = file.path();
    ASSERT_FALSE(deb.empty()) << packed.output;

    // Debian's checker finds no error and no warning (notes are fine).
    Subprocess::Result lint = RunTalking({"lintian", "--fail-on", "error,warning", "--tag-display-limit", "0", deb});
    EXPECT_EQ(lint.exitCode, 0) << lint.output;
    for (const char* complaint : {"E: ", "W: "})
        EXPECT_EQ(lint.output.find(complaint), std::string::npos) << lint.output;

    // Its dependencies come from the libraries the game links against.
    Subprocess::Result depends = RunCommand({"dpkg-deb", "--field", deb, "Depends"});
    for (const char* library : {"libc6", "libsdl2-2.0-0", "libsdl2-mixer-2.0-0", "libsdl2-ttf-2.0-0", "libsdl2-image-2.0-0",
                                "libheif1", "libjpeg62-turbo", "libminizip1"})
        EXPECT_NE(depends.output.find(library), std::string::npos) << library << " in " << depends.output;

    const fs::path root = work / "root";
    ASSERT_EQ(RunCommand({"dpkg-deb", "-x", deb, root}).exitCode, 0);
    const fs::path gameFolder = root / "usr/lib/pavendra";
    const std::set<std::string> shipped = FilesUnder(gameFolder);
    EXPECT_EQ(shipped, (std::set<std::string>{"data.000", "pavendra"}));
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(gameFolder, writable, fs::perm_options::remove);
    // Writable again at the end, so that the temporary folder can go.
    struct GiveBack {
        fs::path folder;
        ~GiveBack()
        {
            std::error_code ignored;
            fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add, ignored);
        }
    } giveBack{gameFolder};

    const fs::path home = work / "home";
    fs::create_directories(home);
    // Debian's games start from /usr/games.
    EXPECT_FALSE(fs::exists(root / "usr/bin"));
    std::vector<std::string> command = {root / "usr/games/pavendra"};
    if (geteuid() == 0) {
        // "nobody" reaches the unpacked game and owns the home folder.
        fs::permissions(work.Path(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
        ASSERT_EQ(chown(home.c_str(), kNobody, kNobody), 0);
        command.insert(command.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"});
    }
    GameSession session;
    session.SetEnvironment("HOME", home);
    session.SetEnvironment("XDG_DATA_HOME", home / "data");
    ASSERT_TRUE(session.Start(command));
    std::optional<std::string> window = session.WaitForWindow("Pavendra");
    ASSERT_TRUE(window) << session.ErrorOutput();
    ScreenRect frame = Letterbox(kClientWidth, kClientHeight, 1280, 720).Target();
    EXPECT_TRUE(session.WaitForScreen([&](const Screenshot& shot) {
        return shot.IsAll(frame.x + 4, frame.y + 4, frame.width - 8, 8, kWhite);
    })) << "no logo";
    EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();

    // The player's files went into the player's data folder, none beside the game.
    EXPECT_TRUE(fs::exists(home / "data/pavendra/conf.pvd")) << session.ErrorOutput();
    EXPECT_NE(TempFolder::ReadFile(home / "data/pavendra/debug.log").find("=== App was shutdown successfully"),
              std::string::npos);
    EXPECT_EQ(FilesUnder(gameFolder), shipped);

    // Installed into a root of its own and removed again, nothing is left
    // behind (dpkg installs only as the superuser).
    if (geteuid() != 0) return;
    const fs::path system = work / "system";
    fs::create_directories(system / "var/lib/dpkg/info");
    fs::create_directories(system / "var/lib/dpkg/updates");
    work.Write("system/var/lib/dpkg/status", "");
    const std::string dpkgRoot = "--root=" + system.string();
    Subprocess::Result install = RunTalking({"dpkg", dpkgRoot, "--log=/dev/null", "--force-depends", "-i", deb});
    ASSERT_EQ(install.exitCode, 0) << install.output;
    EXPECT_TRUE(fs::exists(system / "usr/share/applications" / (kAppId + ".desktop")));
    Subprocess::Result purge = RunTalking({"dpkg", dpkgRoot, "--log=/dev/null", "--purge", "pavendra"});
    ASSERT_EQ(purge.exitCode, 0) << purge.output;
    EXPECT_FALSE(fs::exists(system / "usr")) << "left behind after removal";
}

}  // namespace
