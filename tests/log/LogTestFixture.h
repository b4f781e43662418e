#pragma once
// Every log test runs with HOME in a temporary folder and gets the process's
// current folder back afterwards (the log walk moves it).
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string_view>
#include <vector>

#include "TestFolders.h"

class LogTest : public ::testing::Test {
  protected:
    std::string logIn(const std::string& relativeFolder) const {
        return temp_ / (relativeFolder + "/LogFile.txt");
    }

    static std::vector<std::string> linesOf(const std::string& path) {
        std::vector<std::string> lines;
        std::istringstream in(testing_support::readFile(path));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    // The text after the date and the tabs of a line, and the tab count.
    struct Parsed {
        bool matched = false;
        std::size_t tabs = 0;
        std::string text;
    };
    static Parsed parse(const std::string& line) {
        Parsed parsed;
        if (!hasDateForm(line)) return parsed;
        std::size_t i = kDateLength;
        while (i < line.size() && line[i] == '\t') ++i;
        parsed.tabs = i - kDateLength;
        parsed.matched = parsed.tabs > 0;
        parsed.text = line.substr(i);
        return parsed;
    }

    // "%y-%m-%d %H:%M:%S": digits in pairs, separated as in "26-12-06 03:19:35".
    static constexpr std::size_t kDateLength = 17;
    static bool hasDateForm(std::string_view text) {
        static constexpr std::string_view kShape = "00-00-00 00:00:00";
        if (text.size() < kDateLength) return false;
        for (std::size_t i = 0; i < kDateLength; ++i) {
            const bool digit = text[i] >= '0' && text[i] <= '9';
            if (kShape[i] == '0' ? !digit : text[i] != kShape[i]) return false;
        }
        return true;
    }

    static std::string currentFolder() { return std::filesystem::current_path().string(); }
    static bool exists(const std::string& path) { return std::filesystem::exists(path); }
    static bool isFolder(const std::string& path) { return std::filesystem::is_directory(path); }

    testing_support::TempFolder temp_;
    testing_support::TempFolder home_;
    testing_support::ScopedEnvironment homeVariable_{"HOME", home_.path()};
    testing_support::CurrentFolderGuard folderGuard_;
};
