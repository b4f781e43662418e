#pragma once
// Every log test runs with HOME in a temporary folder and gets the process's
// current folder back afterwards (the log walk moves it).
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <vector>

#include "TestFolders.h"

using Lines = std::vector<std::string>;
using Entries = std::vector<std::pair<std::size_t, std::string>>;

class LogTest : public ::testing::Test {
  protected:
    std::string logIn(const std::string& relativeFolder) const {
        return temp_ / (relativeFolder + "/LogFile.txt");
    }

    // The tab count and text of each line after its "%y-%m-%d %H:%M:%S"
    // date; fails on a line that does not have that form.
    static Entries entries(const std::string& path) {
        static const std::regex kLine(R"(\d\d-\d\d-\d\d \d\d:\d\d:\d\d(\t+)(.*))");
        Entries out;
        std::istringstream in(testing_support::readFile(path));
        for (std::string line; std::getline(in, line);) {
            std::smatch match;
            EXPECT_TRUE(std::regex_match(line, match, kLine)) << '"' << line << '"';
            out.emplace_back(match.length(1), match.str(2));
        }
        return out;
    }
    static Lines texts(const std::string& path) {
        Lines out;
        for (const auto& entry : entries(path)) out.push_back(entry.second);
        return out;
    }

    static std::string currentFolder() { return std::filesystem::current_path().string(); }
    static bool exists(const std::string& path) { return std::filesystem::exists(path); }
    static bool isFolder(const std::string& path) { return std::filesystem::is_directory(path); }

    testing_support::TempFolder temp_;
    testing_support::TempFolder home_;
    testing_support::ScopedEnvironment homeVariable_{"HOME", home_.path()};
    testing_support::CurrentFolderGuard folderGuard_;
};
