#pragma once
// One novel text split into one text per chapter, in a new folder beside it.

#include <cstddef>
#include <vector>

#include "convert/chapter_rule.h"
#include "runtime/file_system.h"
#include "runtime/text.h"

namespace qm {

/// What splitting one text gave.
struct NovelSplit {
  Text folder;              // the new folder holding the chapter texts
  std::vector<Text> names;  // their names, in the book's order
  std::vector<Text> notes;  // numbering gaps, restarts and repeats (GBK)
  bool no_heading = false;  // no line matched: the whole text is one text
  Text failure;             // why the split did not complete; empty when it did
};

/// Splits the text file `path` at the lines `rule` matches. The text is read
/// in its own encoding (DecodeTextFile, in pieces of `piece_size` bytes)
/// and every chapter becomes a code page 936 text in a new folder beside
/// `path`, named after the book (the file's name without its extension; a
/// name already taken gets "(2)", "(3)", ...). Nothing of the text is
/// dropped: each output text holds its heading line and the lines up to the
/// next heading, line ends included, so the outputs joined are the decoded
/// text. Text before the first heading is the first output ("前言"), unless
/// it is only blank lines, which go with the first chapter; a text without
/// any heading is one output named after the book. Output names
/// are a zero-padded number (at least 4 digits and always a leading zero,
/// so that any listing keeps the order), a space and the heading ("0003 第二章 山雨.txt", which
/// ChapterTextHeading reads back); characters a
/// file name cannot hold become their full-width forms. Nothing existing is
/// replaced; `path` is only read.
/// `least_digits` is the least width of the numbers (4; tests take less).
NovelSplit SplitNovel(FileSystem& fs, const Text& path, ChapterRule& rule, std::size_t piece_size = 1 << 20,
                      std::size_t least_digits = 4);

}  // namespace qm
