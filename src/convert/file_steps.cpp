#include "convert/file_steps.h"

#include "runtime/file_ops.h"
#include "runtime/paths.h"

namespace qm {

bool ReadOriginal(FileSystem& fs, const Text& source, bool listed_as_link, std::string* data, FileStamp* stamp) {
  if (!listed_as_link) {
    if (!fs.ReadNoLink(source, data)) return false;
    *stamp = fs.LastReadStamp();
    return true;
  }
  *stamp = fs.Stamp(source);  // before the read: a link changed while it is read shows later
  return fs.Read(source, data);
}

bool CreateCopy(FileSystem& fs, const Text& target, std::string_view contents, std::uint64_t* copy_inode) {
  bool copied = CreateFileSafely(fs, target, contents);
  if (!copied) {
    // A run cut off between the two steps left exactly this file: the step
    // is finished now.
    const FileError why = fs.LastError();
    std::string there;
    copied = !fs.IsLink(target) && fs.Read(target, &there) && there == contents;
    if (!copied) fs.SetLastError(why);  // the write's reason, not the look's
  }
  if (!copied) return false;
  // The copy is known by its inode, read from the file itself where it was
  // placed whole (no look at the name, which could lead elsewhere by now).
  const std::uint64_t placed = fs.LastPlacedInode();
  *copy_inode = placed != 0 ? placed : fs.Stamp(target).inode;
  return true;
}

void DeleteOriginalLater(DeletionsAfterSync& deletions, const Text& source, FileStamp source_read, const Text& target,
                         std::uint64_t copy_inode) {
  // The original goes only while its copy is beside it: a folder swapped
  // for a moment as the copy was written has the copy, not this one.
  if (FolderOf(target) == FolderOf(source)) deletions.Add(source, source_read, target, copy_inode);
  else deletions.Add(source, source_read);
}

}  // namespace qm
