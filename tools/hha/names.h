// Names and texts from the project and contents files. The main program
// writes them in code page 936; a file name with characters that code page
// 936 lacks (an emoji, bytes that are not UTF-8) is written with the
// program's lossless name escapes (runtime/encoding.h). These functions
// undo that mapping exactly as the main program does.
#pragma once

#include <string>
#include <string_view>

namespace hha {

/// The UTF-8 file name a project or contents text spells, escapes undone.
/// A stray byte the name held on disk comes back as that byte, so the
/// result is valid UTF-8 only when the name on disk is.
std::string NameFromProject(std::string_view gbk);

/// True when `gbk` holds a stray-byte escape for an ASCII byte. The main
/// program never writes one (ASCII is always UTF-8), and undoing it would
/// turn bytes inside an escape into a "\" or "/" that splits the name.
bool HasForgedEscape(std::string_view gbk);

/// True when every byte of `s` belongs to a well-formed UTF-8 sequence.
bool IsValidUtf8(std::string_view s);

/// Bytes for a message (a disk path, a converted name): every byte that is
/// not part of valid UTF-8 written as "\xNN", so the message stays text.
std::string Printable(std::string_view bytes);

/// A name or text from the project for a message: escapes undone, then
/// Printable.
std::string Shown(std::string_view gbk);

/// A Local value of a contents or index file as the stored file gives it to
/// readers: a name escape of a name that is code page 936 on disk becomes
/// those bytes (the stored name's spelling in the book's code page), and
/// every "\" character becomes "/" (a "\" byte inside a two-byte character
/// stays).
std::string LocalForReaders(std::string_view gbk);

/// A text shown to the book's reader (title, window caption), kept in code
/// page 936: each escaped character, which that code page cannot show,
/// becomes "?". Texts without escapes are returned unchanged.
std::string ReaderText(std::string_view gbk);

}  // namespace hha
