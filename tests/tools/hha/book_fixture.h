// Test helper: books laid out the way the CHM tab writes them (project and
// contents files from the same templates, code page 936 names).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hha_test {

/// A project file as the CHM tab writes it, in code page 936. book and home
/// are UTF-8; files are UTF-8 relative paths with "\" separators, one
/// [FILES] line each.
std::string TabProject(const std::string& book, const std::string& home, const std::vector<std::string>& files);

/// A contents file with one top-level entry per (name, local path) pair,
/// from the CHM tab's templates, in code page 936.
std::string TabContents(const std::vector<std::pair<std::string, std::string>>& entries);

/// The same two files for names that may lack a GBK form (an emoji, stray
/// bytes): written with the main program's lossless name escapes, as the
/// CHM tab writes them for such files.
std::string TabProjectWithEscapes(const std::string& book, const std::string& home,
                                  const std::vector<std::string>& files);
std::string TabContentsWithEscapes(const std::vector<std::pair<std::string, std::string>>& entries);

/// A page as a code page 936 book stores it: in that code page, declaring
/// gb2312 (the pages of these tests have no other encoding).
std::string Stored(const std::string& page);

/// UTF-8 -> code page 936 for test texts (aborts the test on failure).
std::string Gbk(const std::string& utf8);

/// Code page 936 -> UTF-8; nullopt when the bytes are not code page 936 text.
std::optional<std::string> Utf8OfGbk(std::string_view gbk);

/// Deterministic page content: an HTML page of roughly `size` bytes, ASCII
/// or GBK text depending on `chinese`.
std::string PageContent(unsigned seed, std::size_t size, bool chinese);

}  // namespace hha_test
