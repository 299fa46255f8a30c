// Fuzz entry: the compiler's reading of project (.hhp) and contents (.hhc)
// files, and optionally a whole compile run inside a scratch folder.
#include <sys/stat.h>

#include <string>
#include <string_view>
#include <vector>

#include "book_paths.h"
#include "compiler.h"
#include "fuzz_check.h"
#include "fuzz_entries.h"
#include "runtime/hhp_project.h"
#include "scratch_area.h"
#include "sitemap_links.h"
#include "system_files.h"

namespace qm::fuzz {
namespace {

// A compiled book of this input can only be small: the pages are a few
// hundred bytes and the project and contents files are the input itself.
constexpr std::uint64_t kBookSizeCap = 1u << 20;

// A book path the compiler accepted must stay inside the book's folder.
void CheckBookPath(const std::string& gbk, const char* what) {
  const hha::BookPath p = hha::ToBookPath(gbk);
  if (!p.ok) return;
  const std::string context = std::string(what) + " " + Escaped(gbk) + " became " + Escaped(p.name);
  Check(!p.name.empty() && p.name.front() != '/' && p.name.back() != '/', "bad book path: " + context);
  Check(p.name.find('\\') == std::string::npos, "book path with a backslash: " + context);
  std::size_t begin = 0;
  while (begin <= p.name.size()) {
    std::size_t end = p.name.find('/', begin);
    if (end == std::string::npos) end = p.name.size();
    const std::string_view part = std::string_view(p.name).substr(begin, end - begin);
    Check(!part.empty() && part != "." && part != "..", "book path leaving the book: " + context);
    begin = end + 1;
  }
}

void ReadProjectAndContents(std::string_view project_text, std::string_view contents_text, hha::HhpProject& project) {
  project = hha::ParseProject(project_text);
  project.DefaultWindow();
  for (const std::string& f : project.files) CheckBookPath(f, "[FILES] entry");
  CheckBookPath(project.contents_file, "contents file");
  CheckBookPath(project.index_file, "index file");
  CheckBookPath(project.default_topic, "default topic");
  for (const std::string& link : hha::SitemapLocalLinks(contents_text)) {
    Check(!link.empty(), "an empty Local link was returned");
    const std::string_view file = hha::LinkFilePart(link);
    Check(std::string_view(link).substr(0, file.size()) == file && file.find_first_of("#?") == std::string::npos,
          "LinkFilePart of " + Escaped(link) + " gave " + Escaped(std::string(file)));
    CheckBookPath(std::string(file), "Local link");
  }
}

// A name that places a file directly in the book's folder: no separators,
// no drive, not hidden, not "." or "..".
bool IsPlainName(const std::string& name) {
  return !name.empty() && name.front() != '.' && name.find_first_of("/\\:") == std::string::npos &&
         name.find('\0') == std::string::npos;
}

// The compiler's temporary files: the spool ".hha-spool-XXXXXX" and the
// book written as "<book name>.tmp-XXXXXX" before it is renamed into place.
// The project may name its book or contents file like one of them (the
// fuzzer learns the names from this very test), so only the exact patterns
// count, and files this entry wrote itself never do.
bool IsLeftOverTemporary(const std::string& relative, const std::string& book_name,
                         const std::vector<std::string>& ours) {
  if (relative.empty() || relative.back() == '/') return false;
  for (const std::string& mine : ours)
    if (relative == mine) return false;
  const std::string name = relative.substr(relative.rfind('/') + 1);
  const std::string spool = ".hha-spool-", temp = book_name + ".tmp-";
  return (name.size() == spool.size() + 6 && name.rfind(spool, 0) == 0) ||
         (!book_name.empty() && name.size() == temp.size() + 6 && name.rfind(temp, 0) == 0);
}

// Compiles the project in a fresh book folder holding three small pages,
// the project as book.hhp and the contents under the name the project
// gives it. Projects that would write their book elsewhere are skipped.
void CompileInScratch(std::string_view project_text, std::string_view contents_text, const hha::HhpProject& project) {
  if (!project.compiled_file.empty() && !IsPlainName(project.compiled_file)) return;
  const std::string& scratch = ScratchRoot();
  if (!Check(!scratch.empty(), "cannot make a scratch folder")) return;
  const std::string area = scratch + "/project";
  const std::string book = area + "/book";
  if (!Check(RemoveTree(area), "cannot clear " + area)) return;
  ::mkdir(area.c_str(), 0755);
  ::mkdir(book.c_str(), 0755);
  ::mkdir((book + "/ch1").c_str(), 0755);
  bool written = WriteWholeFile(book + "/book.hhp", project_text);
  const std::string page = "<html><body>\xB5\xDA\xD2\xBB\xD5\xC2 page</body></html>";
  std::vector<std::string> ours = {"project/book/book.hhp"};
  for (const char* name : {"index.htm", "a.htm", "ch1/b.htm"}) {
    written &= WriteWholeFile(book + "/" + name, page);
    ours.push_back("project/book/" + std::string(name));
  }
  if (!Check(written, "cannot write the book folder " + book)) return;
  // The contents file may be named anything; a name that is a folder or
  // one of the files above is simply not written.
  for (const std::string& name : {project.contents_file, project.index_file, std::string("book.hhc")}) {
    struct stat st {};
    if (IsPlainName(name) && ::stat((book + "/" + name).c_str(), &st) != 0 &&
        WriteWholeFile(book + "/" + name, contents_text))
      ours.push_back("project/book/" + name);
  }

  hha::CompileOptions options;
  options.compression.threads = 1;  // a book of a few pages: no threads to start
  const hha::CompileResult result = hha::CompileProject(
      book + "/book.hhp", [](hha::Severity, const std::string&) {}, options);

  const std::string book_name = result.output_path.substr(result.output_path.rfind('/') + 1);
  for (const std::string& entry : ListTree(scratch)) {
    const bool inside = entry == "project/" || entry.rfind("project/book/", 0) == 0;
    Check(inside, "the compiler wrote " + Escaped(entry) + " outside the book's folder");
    if (IsLeftOverTemporary(entry, book_name, ours)) Fail("the compiler left the temporary file " + Escaped(entry));
  }
  if (result.status.ok) {
    struct stat st {};
    Check(::stat(result.output_path.c_str(), &st) == 0 && static_cast<std::uint64_t>(st.st_size) == result.output_bytes,
          "the compiled book " + result.output_path + " is missing or not the size reported");
    Check(result.output_bytes <= kBookSizeCap,
          "a book of three small pages took " + std::to_string(result.output_bytes) + " bytes");
  }
  Check(RemoveTree(area), "cannot clear " + area);
}

}  // namespace

int FuzzProjectReading(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool compile = data[0] & 1;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t cut = rest.find('\0');
  const std::string_view project_text = rest.substr(0, cut);
  const std::string_view contents_text = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  hha::HhpProject project;
  ReadProjectAndContents(project_text, contents_text, project);
  if (compile) CompileInScratch(project_text, contents_text, project);
  return 0;
}

}  // namespace qm::fuzz
