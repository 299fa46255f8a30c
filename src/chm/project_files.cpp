#include "chm/project_files.h"

#include "chm/page_titles.h"
#include "chm/project_templates.h"
#include "chm/tree_history.h"
#include "chm/tree_paths.h"
#include "core/control_names.h"
#include "core/web_folder.h"
#include "runtime/encoding.h"
#include "runtime/file_ops.h"
#include "runtime/paths.h"
#include "runtime/temporary_files.h"

#include <algorithm>

namespace qm {

using namespace chm;

Text ProjectText(const Text& book, const Text& home, const Text& files, bool full_text_search) {
  static const Text kBookMark = Gbk("名字");
  static const Text kHomeMark = Gbk("主页");
  Text text = ProjectTemplate();
  if (full_text_search) {
    // Before the names go in, so that no name is taken for these.
    text = ReplaceSubtext(text, "\r\n\r\n[WINDOWS]", "\r\nFull-text search=Yes\r\n\r\n[WINDOWS]", 1, 1);
    text = ReplaceSubtext(text, ",0x040120,", ",0x040520,", 1, 1);
  }
  text = ReplaceSubtext(text, kBookMark, book);
  // The home box holds the page's display path; its location drops the
  // folders' brackets.
  Text page = WithoutFinalBackslash(WithoutAngleBrackets(home));
  // The window line quotes its home page and has no way to write a quote
  // inside it: such a page is left to the default topic there.
  if (page.find('"') != Text::npos) text = ReplaceSubtext(text, "\"" + kHomeMark + "\"", "\"\"");
  text = ReplaceSubtext(text, kHomeMark, page);
  return ReplaceSubtext(text, "DDDDD", files);
}

void RefreshProjectPreview(Context& ctx) {
  ctx.controls.SetText(kProjectBox, {});
  const Text home = ctx.controls.GetText(kHomePageBox);
  if (!home.empty()) {
    ctx.controls.SetText(kProjectBox, ProjectText(ctx.state.BookName, home, ctx.state.DocumentOrderList,
                                                  ctx.controls.IsTicked(kFullTextSearchBox)));
  }
  ctx.controls.SetInterval(kPreviewTimer, 0);  // one preview per arming
}

namespace {

// Name of a document's entry: the text without ".html" and ".htm" (exact
// case), after removing whatever else `text` must lose first.
Text WithoutPageExtension(std::string_view text) {
  // ".html" holds ".htm": a name without ".htm" loses nothing.
  if (text.find(".htm") == std::string_view::npos) return Text(text);
  return WithoutAll(text, ".html", ".htm");
}

// An entry's name made from a file or folder name: quotes and "&" as
// references so that the contents file stays well-formed and shows the name
// as it is, then characters without a GBK form as decimal references (after
// the quoting, which would otherwise take their "&#" for the name's own).
Text FileEntryName(std::string_view name) {
  Text quoted = QuotedAttributeText(name);
  if (!HasNameEscape(quoted)) return quoted;
  return NameWithReferences(quoted, ReferenceForm::kDecimal);
}

// Appends `entry` to `out` with its placeholders replaced in the order of
// `fills` (a placeholder, then its value), each in the entry as the earlier
// ones left it: a later placeholder inside an earlier value is replaced too,
// as the entries have always been made. The placeholders stand between
// quotes, so none can start in a value and end in the template.
void AppendFilledEntry(Text& out, std::string_view entry,
                       std::initializer_list<std::pair<std::string_view, std::string_view>> fills) {
  for (auto earlier = fills.begin(); earlier != fills.end(); ++earlier) {
    for (auto later = earlier + 1; later != fills.end(); ++later) {
      if (earlier->second.find(later->first) == std::string_view::npos) continue;
      Text filled(entry);
      for (const auto& [placeholder, value] : fills) filled = ReplaceSubtext(filled, placeholder, value);
      out += filled;
      return;
    }
  }
  // Otherwise each placeholder is only in the template: the values go
  // straight in.
  std::size_t at = 0;
  for (;;) {
    std::size_t next = std::string_view::npos;
    const std::pair<std::string_view, std::string_view>* fill = nullptr;
    for (const auto& candidate : fills) {
      const std::size_t k = entry.find(candidate.first, at);
      if (k < next) next = k, fill = &candidate;
    }
    if (!fill) break;
    out.append(entry, at, next - at);
    out.append(fill->second);
    at = next + fill->first.size();
  }
  out.append(entry, at);
}

}  // namespace

Text ContentsText(const TreeModel& tree, const EntryNamer& namer, Progress& progress) {
  // The name of a document's entry: the page's own name where the namer
  // gives one, else the one made from the file name.
  auto entry_name = [&](const Text& local, const Text& from_file) {
    Text name = namer ? WithDecimalReferences(namer(local)) : Text();
    return name.empty() ? FileEntryName(from_file) : name;
  };
  Text body = ContentsHeader();
  Text quoted_local;  // reused for every document
  ForEachItemLocation(tree, [&](int i, const Text& path, const ItemLocation& location) {
    if (!progress.Step(i, tree.Count(), path)) return;
    const Text& local = location.local;
    if (tree.Kind(i) == TreeItemKind::kFolder) {
      AppendFilledEntry(body, FolderEntryTemplate(), {{"BBBBBB", FileEntryName(WithoutAngleBrackets(tree.Name(i)))}});
    } else {
      quoted_local.clear();
      AppendQuotedAttributeText(quoted_local, local);
      if (location.in_folder) {
        const Text name = entry_name(local, WithoutPageExtension(WithoutAngleBrackets(tree.Name(i))));
        AppendFilledEntry(body, NestedDocumentEntryTemplate(), {{"AAAAAA", name}, {"CCCCCC", quoted_local}});
      } else {
        const Text name = entry_name(local, WithoutPageExtension(local));
        AppendFilledEntry(body, TopDocumentEntryTemplate(), {{"GGGGGG", quoted_local}, {"AAAAAA", name}});
      }
    }
    // An item with children opens their list. After any other item, the
    // lists it ends close: one for each level the depth falls to the next
    // item, down to the top-level list, which the footer closes (after the
    // last item that is all of them). So every entry stands at its own
    // depth, whatever folders hold or however far the depth falls.
    if (tree.HasChildren(i)) {
      body += kOpenList;
    } else {
      body += kEntryEnd;
      AppendCloseLists(body, tree.Depth(i) - std::max(1, tree.Depth(i + 1)));
    }
  });
  body += ContentsFooter();
  return body;
}

bool RequireBookFolder(Context& ctx) {
  // The start hint may name a folder in the working directory; it is never
  // a book.
  static const Text kHint = Gbk("  ---拖进来---");
  const Text folder = ctx.controls.GetText(kFolderBox);
  if (folder == kHint || ctx.state.BookFolder.empty()) {
    ctx.dialogs.MessageBox(Gbk("请先把文件夹拖进来！"));
    return false;
  }
  // The tree, the book's name and its file list belong to the dropped
  // folder: they are never written into another one typed into the box.
  if (folder != ctx.state.BookFolder) {
    ctx.dialogs.MessageBox(Gbk("文件夹框中的 ") + folder + Gbk(" 不是目录树所列的文件夹 ") + ctx.state.BookFolder +
                           Gbk("：什么也没有写入。请把要做成书的文件夹重新拖进来。"));
    return false;
  }
  return RequireExistingFolder(ctx, folder);
}

void BuildContents(Context& ctx) {
  if (!RequireBookFolder(ctx)) return;
  if (ctx.state.BookName.empty()) {
    // The files would be named ".hhc" and ".hhp", replacing whatever the
    // folder holds under those names.
    ctx.dialogs.MessageBox(Gbk("书名是空的（拖进来的是根文件夹）：目录文件和工程文件没有写入。"));
    return;
  }
  const Text folder = ctx.controls.GetText(kFolderBox);
  EntryNamer by_title;
  if (ctx.controls.IsTicked(kPageTitleBox)) {
    by_title = [&](const Text& local) { return PageTitleOfFile(ctx.fs, folder, local); };
  }
  ctx.controls.SetText(kContentsBox, {});
  Text contents = ContentsText(ctx.tree, by_title, ctx.progress);
  if (ctx.progress.Stopped()) {
    // Nothing is written from a contents text that is not whole.
    ctx.dialogs.MessageBox(Gbk("已取消：目录文件和工程文件没有写入。"));
    return;
  }
  ctx.controls.SetText(kContentsBox, contents);
  ctx.controls.SetDisabled(kCompileButton, false);

  const Text base = folder + Text(kPathSeparatorText) + ctx.state.BookName;
  Text problems;
  RemoveStaleTemporaryFiles(ctx.fs, folder);
  // Each file is replaced only by a completely written new one.
  const Text contents_path = base + ".hhc";
  if (!WriteFileSafely(ctx.fs, contents_path, ctx.controls.GetText(kContentsBox)))
    problems += WithReason(Gbk("无法写入目录文件：") + contents_path, ctx.fs.LastError());
  else MarkTreeBuilt(ctx.state);
  const Text project_path = base + ".hhp";
  const Text project = ctx.controls.GetText(kProjectBox);
  if (project.empty()) {
    // Without a chosen home page there is no project text; an earlier
    // project file stays as it is rather than being emptied.
    if (!problems.empty()) problems += "\r\n";
    problems += Gbk("没有选择主页，工程文件未写入：") + project_path;
  } else if (!WriteFileSafely(ctx.fs, project_path, project)) {
    if (!problems.empty()) problems += "\r\n";
    problems += WithReason(Gbk("无法写入工程文件：") + project_path, ctx.fs.LastError());
  }
  if (!problems.empty()) ctx.dialogs.MessageBox(problems);
}

}  // namespace qm
