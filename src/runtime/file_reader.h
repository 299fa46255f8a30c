#pragma once
// Reading an open file whole, on descriptors, for the file system of the
// program and for the compiler.

#include <cstddef>
#include <string>

namespace qm {

/// Reads the open file `fd`, which had `size` bytes when it was looked at,
/// whole into `out`: the size and one byte more, then whatever it grew by
/// since in a small buffer, so that the text is neither cleared beyond its
/// size nor moved. A read that leaves that byte empty once `size` bytes are
/// in has found the end, and no read is spent on asking again. Interrupted
/// reads go on. False, with errno saying why and `out` holding what came,
/// when a read fails.
bool ReadToEnd(int fd, std::size_t size, std::string* out);

}  // namespace qm
