// The rule for the file a compile writes: it may replace only an earlier
// book, never the project, a page or any other file of the user's.
#pragma once

#include <string>

#include "status.h"

namespace hha {

/// Refuses `output` when it is the project file `project_path`, or when
/// something that is not a CHM book (a regular file beginning with the
/// "ITSF" signature) is already there: a page of the book, a file its
/// contents or references reach, any other file. Ok when nothing is there
/// or an earlier book is, which the new book then replaces once complete
/// (a book listed among the project's files is that earlier book, and is
/// not stored inside the new one).
/// `name` is taken in the folder `dir` (a descriptor), `output` names it in
/// messages.
Status CheckOutputFile(int dir, const std::string& name, const std::string& output, const std::string& project_path);

/// Removes the temporary files "NAME.tmp-XXXXXX" that an earlier compile of
/// `output` left beside it when it was killed before putting the book in
/// place: regular files of one name, owned by this user and writable by
/// them, that are empty or begin as a CHM book. Any other file of such a
/// name (a read-only or hard-linked copy of a book) is the user's and stays.
/// `name` is the book's name in the folder `dir` (a descriptor).
void RemoveStaleTemporaryBooks(int dir, const std::string& name);

}  // namespace hha
