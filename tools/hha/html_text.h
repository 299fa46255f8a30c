// The text of the web pages and sitemap files of a book as readers show
// it: references decoded, tags, scripts and styles left out. Texts are code
// page 936.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace hha {

/// The character a reference stands for ("&#20013;", "&#x4E2D;", "&amp;",
/// "&nbsp;") at `at`, where `text` holds "&": its length in `*size`; 0 when
/// no reference this code knows starts there. Named references cover the
/// markup characters and the common typographic ones.
char32_t ReferenceAt(std::string_view text, std::size_t at, std::size_t* size);

/// `text` with every reference decoded into code page 936; "&nbsp;" and
/// "&#160;" become a space, a reference to a character without a code
/// page 936 form stays as written.
std::string DecodeReferences(std::string_view text);

/// The text of the page's <title> element, references decoded and runs of
/// white space made one space, trimmed; empty when the page has none.
std::string PageTitle(std::string_view html);

/// Calls `run` with each piece of the page's shown text, references
/// decoded, in order: tags, comments, the <title> and what <script> and
/// <style> elements hold are left out; each tag ends a piece.
void ForEachTextRun(std::string_view html, const std::function<void(std::string_view)>& run);

/// A sitemap (contents or index) file's text with every numeric reference to
/// a character that code page 936 has written as that character, and
/// "&#160;" as a space, so that every reader shows them; references to the
/// markup characters (< > & " ') and to control characters stay.
std::string WithCharactersForReferences(std::string_view text);

}  // namespace hha
