#include "app/drop_routing.h"

#include "core/control_names.h"
#include "core/window_layout.h"
#include "runtime/text.h"

namespace qm {
namespace {

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char a = s[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != prefix[i]) return false;
  }
  return true;
}

}  // namespace

void DropAreas::Register(std::string_view drop_target, std::string_view control) {
  for (auto& [target, area] : areas_) {
    if (target == drop_target) {
      area = std::string(control);
      return;
    }
  }
  areas_.emplace_back(std::string(drop_target), std::string(control));
}

std::string_view DropAreas::TargetFor(const std::vector<std::string>& chain) const {
  for (const std::string& control : chain) {
    for (const auto& [target, area] : areas_) {
      if (area == control) return target;
    }
  }
  return {};
}

std::string_view DropAreas::AreaOf(std::string_view drop_target) const {
  for (const auto& [target, area] : areas_) {
    if (target == drop_target) return area;
  }
  return {};
}

DropPlan PlanDrop(const DropAreas& areas, const std::vector<std::string>& chain, bool local_paths, bool tool_selected) {
  DropPlan plan;
  if (!local_paths) {
    plan.refusal = "只能拖入本机的文件夹或文件。";
    return plan;
  }
  plan.target = areas.TargetFor(chain);
  if (plan.target.empty()) {
    plan.refusal = "这里不接受拖放：请把文件夹拖到“网页制作”页或“网页文件夹”框上。";
    return plan;
  }
  if (plan.target != controls::kWebDropArea) return plan;
  for (const std::string& control : chain) {
    for (const FolderBox& f : FolderBoxes()) {
      if (f.box == control && !f.radio.empty()) plan.radio = f.radio;
    }
    if (!plan.radio.empty()) return plan;
  }
  if (!tool_selected) plan.refusal = "没有选择工具：请先选中一个工具的单选框，或把文件夹直接拖到工具的目录框上。";
  return plan;
}

Text JoinDroppedPaths(const std::vector<Text>& paths) {
  if (paths.size() == 1) return paths.front();
  Text out;
  for (const Text& p : paths) {
    out += p;
    out += "\r\n";
  }
  return out;
}

std::vector<std::string> LocalPathsFromUriList(std::string_view list) {
  std::vector<std::string> paths;
  std::size_t i = 0;
  while (i < list.size()) {
    std::size_t end = list.find('\n', i);
    if (end == std::string_view::npos) end = list.size();
    std::string_view line = list.substr(i, end - i);
    i = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#' || !StartsWithNoCase(line, "file:")) continue;
    std::string_view rest = line.substr(5);
    if (rest.substr(0, 2) == "//") {
      rest.remove_prefix(2);
      std::size_t slash = rest.find('/');
      if (slash == std::string_view::npos) continue;
      std::string_view host = rest.substr(0, slash);
      bool local_host = host.empty() || (host.size() == 9 && StartsWithNoCase(host, "localhost"));
      if (!local_host) continue;
      rest.remove_prefix(slash);
    }
    std::string path = PercentDecoded(rest);
    if (!path.empty()) paths.push_back(std::move(path));
  }
  return paths;
}

std::string UriListFromLocalPaths(const std::vector<std::string>& paths) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const std::string& path : paths) {
    out += path.empty() || path.front() != '/' ? "file:" : "file://";
    for (char ch : path) {
      auto b = static_cast<unsigned char>(ch);
      bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
                   b == '_' || b == '~' || b == '/';
      if (plain) {
        out.push_back(ch);
      } else {
        out.push_back('%');
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 15]);
      }
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace qm
