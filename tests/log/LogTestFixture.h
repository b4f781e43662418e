#pragma once
// Every log test runs with HOME in a temporary folder and gets the process's
// current folder back afterwards (the log walk moves it).
#include <gtest/gtest.h>

#include <filesystem>
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

    // True when `line` starts with a "%y-%m-%d %H:%M:%S" date.
    static bool startsWithDate(const std::string& line) {
        static const std::string kShape = "00-00-00 00:00:00";
        if (line.size() < kShape.size()) return false;
        for (std::size_t i = 0; i < kShape.size(); ++i) {
            const bool digit = line[i] >= '0' && line[i] <= '9';
            if (kShape[i] == '0' ? !digit : line[i] != kShape[i]) return false;
        }
        return true;
    }

    // The tab count and text of each line after its date; fails on a line
    // that does not have that form or has no tab after the date.
    static Entries entries(const std::string& path) {
        Entries out;
        std::istringstream in(testing_support::readFile(path));
        for (std::string line; std::getline(in, line);) {
            const std::size_t dateEnd = 17;
            const std::size_t textStart = line.find_first_not_of('\t', dateEnd);
            const bool wellFormed =
                startsWithDate(line) && line.size() > dateEnd && line[dateEnd] == '\t';
            EXPECT_TRUE(wellFormed) << '"' << line << '"';
            if (!wellFormed) continue;
            const std::size_t end = textStart == std::string::npos ? line.size() : textStart;
            out.emplace_back(end - dateEnd, line.substr(end));
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
