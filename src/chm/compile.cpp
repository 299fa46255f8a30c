#include "chm/compile.h"

#include <algorithm>

#include "chm/compiled_project.h"
#include "chm/finished_book.h"
#include "chm/project_files.h"
#include "chm/run_outcome.h"
#include "chm/tree_history.h"
#include "core/control_names.h"
#include "runtime/encoding.h"
#include "runtime/file_ops.h"
#include "runtime/path_kind.h"
#include "runtime/paths.h"
#include "runtime/temporary_files.h"

namespace qm {
namespace {

// Compile without our own contents file: takes the book's .hhc out of the
// project text (any letter case) and writes the project file again. It is
// replaced only by a completely written new one. False after telling the
// user when it cannot be written.
bool WriteProjectWithoutContents(Context& ctx, const Text& project_path, const Text& book) {
  Text project = ReplaceSubtext(ctx.controls.GetText(chm::kProjectBox), book + ".hhc", {}, 1, -1, false);
  ctx.controls.SetText(chm::kProjectBox, project);
  if (!WriteFileSafely(ctx.fs, project_path, project)) {
    ctx.dialogs.MessageBox(WithReason(Gbk("无法写入工程文件：") + project_path, ctx.fs.LastError()));
    return false;
  }
  return true;
}

// The pages of a compiled book that did not get into it: those whose names
// the book cannot store, and every other page the compiler reported left
// out (a name leading out of the folder, a drive path, a missing file...),
// whose log says why. Empty when every page got in.
Text LeftOutPages(const Text& project, const RunResult& run) {
  Text failure;
  std::vector<Text> unstorable = UnstorableFilesOfProject(project);
  if (!unstorable.empty()) {
    failure = Gbk("书已编译，但这些网页的文件名无法收入书中，没有收入：");
    for (const Text& name : unstorable) failure += "\r\n" + name;
  }
  Text others;
  for (const Text& name : run.left_out)
    if (std::find(unstorable.begin(), unstorable.end(), name) == unstorable.end()) others += "\r\n" + name;
  if (!others.empty()) {
    if (!failure.empty()) failure += "\r\n";
    failure += Gbk("书已编译，但这些网页没有收入书中：") + others;
    if (!run.log_path.empty()) failure += Gbk("\r\n详情见 ") + TextFromNativeName(run.log_path);
  }
  return failure;
}

}  // namespace

void CompileChm(Context& ctx) {
  if (!RequireBookFolder(ctx) || !BuildContentsIfTreeEdited(ctx)) return;
  const Text folder = ctx.controls.GetText(chm::kFolderBox);
  const Text& book = ctx.state.BookName;
  const Text project_path = folder + Text(kPathSeparatorText) + book + ".hhp";

  RemoveStaleTemporaryFiles(ctx.fs, folder);
  // A project or contents file that is a link leading out of the book folder
  // would compile a file from elsewhere (and a build could not write it).
  for (const Text& own : {project_path, folder + Text(kPathSeparatorText) + book + ".hhc"}) {
    if (ctx.fs.IsLink(own) && !InsideFolder(ctx.fs, own, folder)) {
      ctx.dialogs.MessageBox(own + Gbk(" 是指向文件夹之外的链接，没有编译。"));
      return;
    }
  }
  if (ctx.controls.IsTicked(chm::kNoOwnContentsBox) && !WriteProjectWithoutContents(ctx, project_path, book)) {
    return;
  }

  // The compiler names its output in the project it reads: the box text
  // just written, or the file of the last build.
  Text project;
  if (ctx.controls.IsTicked(chm::kNoOwnContentsBox)) {
    project = ctx.controls.GetText(chm::kProjectBox);
  } else {
    ctx.fs.Read(project_path, &project);
  }
  const Text compiled = CompiledFileOfProject(project, folder, book);
  const long long before = ctx.fs.ModifiedTime(compiled);
  FileId before_id;
  const bool existed = ctx.fs.Identify(compiled, &before_id);
  const Text command = "hhc.exe " + QuotedArgument(project_path);
  RunResult run = ctx.processes.Run(command, true, 1);

  // "ok" only when the compiler ran, succeeded and wrote the book it names:
  // a book that is there and is not the one from before (another file, or
  // written since; a modification time in the future counts as written).
  Text failure = DescribeFailedRun(ctx.fs, run, "hhc.exe", Gbk("编译"));
  FileId after_id;
  const bool written = KindOfPath(ctx.fs, compiled) == PathKind::kFile &&
                       (!existed || ctx.fs.ModifiedTime(compiled) != before ||
                        (ctx.fs.Identify(compiled, &after_id) && !(after_id == before_id)));
  if (failure.empty() && !written) failure = Gbk("编译没有生成文件：") + compiled;
  if (failure.empty()) failure = LeftOutPages(project, run);
  if (failure.empty()) OfferFinishedBook(ctx, compiled, folder);
  ctx.dialogs.MessageBox(failure.empty() ? Text("ok") : failure);
}

}  // namespace qm
