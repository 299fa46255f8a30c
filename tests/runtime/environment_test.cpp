// Environment variables and the shell folders read from the XDG user
// directories, with HOME and the XDG variables pointed at a scratch folder.
#include "runtime/environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "runtime/encoding.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

class EnvironmentTest : public ::testing::Test {
 protected:
  EnvironmentTest() {
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_DESKTOP_DIR",
                             "XDG_DOCUMENTS_DIR", "QM_TEST_VAR"}) {
      const char* v = std::getenv(name);
      saved_[name] = v ? std::optional<std::string>(v) : std::nullopt;
      ::unsetenv(name);
    }
    ::setenv("HOME", home().c_str(), 1);
  }
  ~EnvironmentTest() override {
    for (auto& [name, value] : saved_) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
  }
  const std::string& home() const { return tmp_.path(); }
  void UserDirs(const std::string& text) {
    std::filesystem::create_directories(home() + "/.config");
    std::ofstream(home() + "/.config/user-dirs.dirs") << text;
  }
  static Text Shell(std::string_view value) { return ReadRegistryText(kCurrentUserRoot, kShellFoldersKey, value); }

  TempDir tmp_;
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(EnvironmentTest, VariablesReadAsGbkTextsOrEmpty) {
  EXPECT_EQ(ReadEnvironmentVariable("QM_TEST_VAR"), "");
  ::setenv("QM_TEST_VAR", "/data/书", 1);
  EXPECT_EQ(ReadEnvironmentVariable("QM_TEST_VAR"), Gbk("/data/书"));
}

TEST_F(EnvironmentTest, ShellFoldersComeFromUserDirsWithHomeExpanded) {
  UserDirs(
      "# written by xdg-user-dirs-update\n"
      "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n"
      "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n");
  EXPECT_EQ(Shell("Desktop"), Gbk(home() + "/桌面"));
  EXPECT_EQ(Shell("Personal"), "/srv/docs");
  // The variable beats the file.
  ::setenv("XDG_DOCUMENTS_DIR", "/elsewhere", 1);
  EXPECT_EQ(Shell("Personal"), "/elsewhere");
}

TEST_F(EnvironmentTest, WithoutUserDirsTheUsualFoldersUnderHome) {
  EXPECT_EQ(Shell("Desktop"), home() + "/Desktop");
  EXPECT_EQ(Shell("Personal"), home() + "/Documents");
  EXPECT_EQ(Shell("Local AppData"), home() + "/.local/share");
  EXPECT_EQ(Shell("Cache"), home() + "/.cache");
  EXPECT_EQ(Shell("Startup"), home() + "/.config/autostart");
  EXPECT_EQ(Shell("Favorites"), home() + "/.local/share/quillmere/Favorites");
}

TEST_F(EnvironmentTest, XdgHomesMoveTheFoldersWithoutALinuxCounterpart) {
  ::setenv("XDG_DATA_HOME", (home() + "/data").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home() + "/conf").c_str(), 1);
  ::setenv("XDG_CACHE_HOME", (home() + "/cache").c_str(), 1);
  std::filesystem::create_directories(home() + "/conf");
  std::ofstream(home() + "/conf/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/desk\"\n";
  EXPECT_EQ(Shell("Desktop"), home() + "/desk");
  EXPECT_EQ(Shell("Fonts"), home() + "/data/fonts");
  EXPECT_EQ(Shell("Programs"), home() + "/data/applications");
  EXPECT_EQ(Shell("Start Menu"), home() + "/data/applications");
  EXPECT_EQ(Shell("History"), home() + "/data/quillmere/History");
  EXPECT_EQ(Shell("Cookies"), home() + "/data/quillmere/Cookies");
  EXPECT_EQ(Shell("Cache"), home() + "/cache");
  EXPECT_EQ(Shell("Startup"), home() + "/conf/autostart");
}

TEST_F(EnvironmentTest, OtherKeysAndValuesAreAbsent) {
  EXPECT_EQ(Shell("NoSuchFolder"), "");
  EXPECT_EQ(ReadRegistryText(0x80000002L, kShellFoldersKey, "Desktop"), "");
  EXPECT_EQ(ReadRegistryText(kCurrentUserRoot, "Software\\Other", "Desktop"), "");
}

}  // namespace
}  // namespace qm
