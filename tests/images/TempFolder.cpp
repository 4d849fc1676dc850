// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "pavendra-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("can't make a temporary folder");
    path = pattern + "/";
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string TempFolder::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const
{
    std::filesystem::path full = std::filesystem::path(path) / name;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return full.string();
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool RunConvert(const std::string& arguments)
{
    std::string command = "convert " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}
