#pragma once
// Sets or unsets environment variables for one test and puts them back.

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class ScopedEnv {
 public:
  ~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) ::setenv(it->first.c_str(), it->second->c_str(), 1);
      else ::unsetenv(it->first.c_str());
    }
  }
  void Set(const std::string& name, const std::string& value) {
    Save(name);
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  void Unset(const std::string& name) {
    Save(name);
    ::unsetenv(name.c_str());
  }

 private:
  void Save(const std::string& name) {
    const char* v = std::getenv(name.c_str());
    saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace qm
