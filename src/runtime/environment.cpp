#include "runtime/environment.h"

#include <cstdlib>
#include <fstream>
#include <string>

#include "runtime/encoding.h"

namespace qm {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string Home() {
  std::string home = Env("HOME");
  return home.empty() ? std::string("/tmp") : home;
}

std::string DataHome() {
  std::string d = Env("XDG_DATA_HOME");
  return d.empty() ? Home() + "/.local/share" : d;
}

std::string ConfigHome() {
  std::string d = Env("XDG_CONFIG_HOME");
  return d.empty() ? Home() + "/.config" : d;
}

// One XDG user directory (DESKTOP, DOCUMENTS, ...): the variable, then
// user-dirs.dirs, then $HOME/<fallback>.
std::string UserDir(const std::string& key, const std::string& fallback) {
  std::string var = "XDG_" + key + "_DIR";
  std::string value = Env(var.c_str());
  if (!value.empty()) return value;
  std::ifstream in(ConfigHome() + "/user-dirs.dirs");
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, var.size() + 1, var + "=") != 0) continue;
    std::string v = line.substr(var.size() + 1);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    if (v.compare(0, 5, "$HOME") == 0) v = Home() + v.substr(5);
    if (!v.empty()) return v;
  }
  return Home() + "/" + fallback;
}

}  // namespace

Text ReadEnvironmentVariable(std::string_view name) { return TextFromNativeName(Env(std::string(name).c_str())); }

Text ReadRegistryText(long root, std::string_view key_path, std::string_view value) {
  if (root != kCurrentUserRoot || key_path != kShellFoldersKey) return {};
  std::string folder;
  if (value == "Personal") folder = UserDir("DOCUMENTS", "Documents");
  else if (value == "Desktop") folder = UserDir("DESKTOP", "Desktop");
  else if (value == "Fonts") folder = DataHome() + "/fonts";
  else if (value == "Start Menu" || value == "Programs") folder = DataHome() + "/applications";
  else if (value == "Startup") folder = ConfigHome() + "/autostart";
  else if (value == "Local AppData") folder = DataHome();
  else if (value == "Cache") folder = Env("XDG_CACHE_HOME").empty() ? Home() + "/.cache" : Env("XDG_CACHE_HOME");
  else if (value == "Favorites" || value == "History" || value == "Cookies")
    folder = DataHome() + "/quillmere/" + std::string(value);
  else return {};
  return TextFromNativeName(folder);
}

}  // namespace qm
