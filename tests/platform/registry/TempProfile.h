// A fresh, empty user config folder for one test: XDG_CONFIG_HOME points at a temporary
// folder that is removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class TempProfile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "qm-registry-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(root_);
  }

  std::filesystem::path Folder() const { return root_ / "quillmont"; }
  std::filesystem::path File() const { return Folder() / "registry.txt"; }

  std::string FileText() const {
    std::ifstream in(File(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void SetFileText(const std::string& text) const {
    std::filesystem::create_directories(Folder());
    std::ofstream(File(), std::ios::binary) << text;
  }

 private:
  std::filesystem::path root_;
};
