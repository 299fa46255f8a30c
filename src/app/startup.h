#pragma once
// Start-up pieces that need no window: today's date text, the special
// folders, installing the compiler's working files and the work done once
// the main window exists.

#include <optional>
#include <string>

#include "core/context.h"
#include "runtime/byte_set.h"
#include "runtime/clock.h"
#include "runtime/text.h"

namespace qm {

/// The date as year, month and day in decimal without leading zeros,
/// joined by "-" (5 January 2014 gives "2014-1-5").
Text DateText(const DateTime& date);

/// Today's local date as DateText.
Text TodayDateText();

/// The folder for a special-folder code, without a trailing separator.
/// 1-8 and 12-14: the user's shell folders (XDG user directories);
/// 9: the Windows directory: "windir" when set, else
///    ${XDG_DATA_HOME:-$HOME/.local/share}/quillmere;
/// 10: the system directory, code 9 + "/system32";
/// 11: the temporary directory: "TEMP", else "TMPDIR", else /tmp.
/// Any other code gives the empty text.
Text SpecialFolderPath(int code);

/// Writes `contents` to the file `name` in the system directory (code 10)
/// unless an entry of that exact path already exists (file or folder, any
/// size or version: it is never replaced). The folder chain is created
/// first. The bytes go to a temporary file beside the target that is then
/// renamed into place without replacing anything, so a failed or partial
/// write never leaves a truncated file that would block later installs.
/// Returns true when the file was written; callers do not report failures.
bool InstallWorkingFile(FileSystem& fs, const Text& name, const ByteSet& contents);

/// The bytes of the two working files the program carries; a file that
/// could not be read is absent and is not installed.
struct WorkingFiles {
  std::optional<ByteSet> hha_dll;
  std::optional<ByteSet> hhc_exe;
};

/// Reads hha.dll and hhc.exe from `folder` (the program's own folder).
WorkingFiles LoadWorkingFiles(FileSystem& fs, const Text& folder);

/// Registers a control's window as the drop area of a drop target.
class DropRegistrar {
 public:
  virtual ~DropRegistrar() = default;
  virtual void RegisterDropArea(std::string_view drop_target, std::string_view control) = 0;
};

/// Called with the path of each working file that was just installed (the
/// program makes hhc.exe executable there).
using InstalledHook = void (*)(const Text& path);

/// The handler of the main window's created event, in this order: registers
/// 选择夹1 as the area of 拖放对象1 and 编辑框1 as the area of 拖放对象2, sets
/// DateText to today's date, installs hha.dll, then hhc.exe.
void OnMainWindowCreated(Context& ctx, DropRegistrar& drops, const WorkingFiles& files,
                         InstalledHook installed = nullptr);

}  // namespace qm
