// The fuzz entry functions. Each takes one input of arbitrary bytes, runs a
// part of Quillmere on it and checks what came out; the libFuzzer drivers in
// fuzz/ and the replay test in tests/fuzz call the same functions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm::fuzz {

/// Text operations against the byte-by-byte reference model. The input is
/// a 7-byte header (flags, start, count, maximum, sub length, replacement
/// length, slice offset) followed by the sub, the replacement and the text.
/// Reports every disagreement through Fail. Always returns 0.
int FuzzTextOperations(const std::uint8_t* data, std::size_t size);

/// The input as a .chm file unpacked by hh.exe's unpacker into a fresh
/// folder. Reports through Fail a file written outside that folder, a
/// temporary file left behind, or a changed book. Always returns 0.
int FuzzChmUnpacker(const std::uint8_t* data, std::size_t size);

/// The input as a mode byte, a project file (.hhp) and, after the first 0
/// byte, a contents file (.hhc). Both are read as the compiler reads them;
/// with bit 0 of the mode byte set the project is also compiled inside a
/// scratch folder. Reports through Fail a book path that climbs out of the
/// book, a file written outside the folder or an oversized book. Always
/// returns 0.
int FuzzProjectReading(const std::uint8_t* data, std::size_t size);

}  // namespace qm::fuzz
