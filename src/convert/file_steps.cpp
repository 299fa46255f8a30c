#include "convert/file_steps.h"

#include "runtime/file_ops.h"

namespace qm {

FileStep MoveFileSafely(FileSystem& fs, const Text& from, const Text& to, std::string_view contents) {
  if (fs.ReplaceWith(from, to)) return {true, true};
  return WriteThenDelete(fs, to, contents, from);
}

FileStep WriteThenDelete(FileSystem& fs, const Text& target, std::string_view contents, const Text& source,
                         bool keep_source) {
  FileStep step;
  step.copied = WriteFileSafely(fs, target, contents);
  if (step.copied && !keep_source) step.removed = fs.Delete(source);
  return step;
}

namespace {

// Creates `target` holding `contents`, or finds it there already.
bool CreateOrFind(FileSystem& fs, const Text& target, std::string_view contents) {
  if (CreateFileSafely(fs, target, contents)) return true;
  // A run cut off between the two steps left exactly this file: the step
  // is finished now.
  const FileError why = fs.LastError();
  std::string there;
  if (!fs.IsLink(target) && fs.Read(target, &there) && there == contents) return true;
  fs.SetLastError(why);  // the write's reason, not the look's
  return false;
}

}  // namespace

FileStep CreateThenDeleteLater(FileSystem& fs, const Text& target, std::string_view contents, const Text& source,
                               DeletionsAfterSync& deletions) {
  FileStep step;
  step.copied = CreateOrFind(fs, target, contents);
  if (step.copied) deletions.Add(source);
  return step;
}

bool WriteNewOrReplace(FileSystem& fs, const Text& path, std::string_view contents) {
  return WriteFileSafely(fs, path, contents);
}

}  // namespace qm
