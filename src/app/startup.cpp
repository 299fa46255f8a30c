#include "app/startup.h"

#include "core/control_names.h"
#include "runtime/encoding.h"
#include "runtime/environment.h"
#include "runtime/path_kind.h"
#include "runtime/paths.h"

namespace qm {
namespace {

// The shell folder value names for the registry codes, by code.
const char* ShellFolderName(int code) {
  switch (code) {
    case 1: return "Personal";
    case 2: return "Favorites";
    case 3: return "Desktop";
    case 4: return "Fonts";
    case 5: return "Start Menu";
    case 6: return "Programs";
    case 7: return "Startup";
    case 8: return "Local AppData";
    case 12: return "History";
    case 13: return "Cache";
    case 14: return "Cookies";
    default: return nullptr;
  }
}

Text WithoutTrailingSeparator(Text path) {
  while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
  return path;
}

Text WindowsDirectory() {
  Text windir = ReadEnvironmentVariable("windir");
  if (!windir.empty()) return WithoutTrailingSeparator(windir);
  // No Windows directory here: keep the files under the user's data folder,
  // never at the root of the file system.
  Text data = ReadEnvironmentVariable("XDG_DATA_HOME");
  if (data.empty()) {
    Text home = ReadEnvironmentVariable("HOME");
    if (home.empty()) home = "/tmp";
    data = JoinPath(home, ".local/share");
  }
  return JoinPath(WithoutTrailingSeparator(data), "quillmere");
}

// Creates every missing folder of `folder`, outermost first.
void CreateFolderChain(FileSystem& fs, const Text& folder) {
  if (folder.empty() || PathExists(fs, folder)) return;
  Text parent = FolderOf(folder);
  if (!parent.empty() && parent != folder) CreateFolderChain(fs, parent);
  fs.CreateDirectory(folder);
}

std::optional<ByteSet> ReadIfPresent(FileSystem& fs, const Text& path) {
  ByteSet bytes;
  if (!fs.Read(path, &bytes.bytes)) return std::nullopt;
  return bytes;
}

}  // namespace

Text DateText(const DateTime& date) { return ToText(date.year) + "-" + ToText(date.month) + "-" + ToText(date.day); }

Text TodayDateText() { return DateText(Now()); }

Text SpecialFolderPath(int code) {
  if (const char* name = ShellFolderName(code)) {
    return WithoutTrailingSeparator(ReadRegistryText(kCurrentUserRoot, kShellFoldersKey, name));
  }
  switch (code) {
    case 9: return WindowsDirectory();
    case 10: return JoinPath(WindowsDirectory(), "system32");
    case 11: {
      Text temp = ReadEnvironmentVariable("TEMP");
      if (temp.empty()) temp = ReadEnvironmentVariable("TMPDIR");
      if (temp.empty()) temp = "/tmp";
      return WithoutTrailingSeparator(temp);
    }
    default: return {};
  }
}

bool InstallWorkingFile(FileSystem& fs, const Text& name, const ByteSet& contents) {
  Text folder = SpecialFolderPath(10);
  Text target = JoinPath(folder, name);
  if (PathExists(fs, target)) return false;
  CreateFolderChain(fs, folder);
  Text temporary = target + ".part";
  if (PathExists(fs, temporary)) fs.Delete(temporary);
  if (!fs.Write(temporary, contents.bytes)) {
    fs.Delete(temporary);
    return false;
  }
  if (!fs.Rename(temporary, target)) {
    fs.Delete(temporary);
    return false;
  }
  return true;
}

WorkingFiles LoadWorkingFiles(FileSystem& fs, const Text& folder) {
  WorkingFiles files;
  files.hha_dll = ReadIfPresent(fs, JoinPath(folder, "hha.dll"));
  files.hhc_exe = ReadIfPresent(fs, JoinPath(folder, "hhc.exe"));
  return files;
}

void OnMainWindowCreated(Context& ctx, DropRegistrar& drops, const WorkingFiles& files, InstalledHook installed) {
  drops.RegisterDropArea(controls::kWebDropArea, controls::kTabControl);
  drops.RegisterDropArea(controls::kChmDropArea, chm::kFolderBox);
  ctx.state.DateText = TodayDateText();
  auto install = [&](const char* name, const std::optional<ByteSet>& bytes) {
    if (!bytes) return;
    if (InstallWorkingFile(ctx.fs, name, *bytes) && installed) {
      installed(JoinPath(SpecialFolderPath(10), name));
    }
  };
  install("hha.dll", files.hha_dll);
  install("hhc.exe", files.hhc_exe);
}

}  // namespace qm
