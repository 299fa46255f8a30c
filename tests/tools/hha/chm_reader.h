// Test helper: reads a .chm back with libmspack (in process) and with the
// command-line readers extract_chmLib and 7-Zip.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace hha_test {

using FileMap = std::map<std::string, std::string>;  // stored name -> content

/// Every file of the book (names as stored, e.g. "/a.htm"; "::" streams
/// excluded) extracted by libmspack. nullopt when libmspack cannot open the
/// file or extract one of its files.
std::optional<FileMap> ReadWithMspack(const std::string& chm_path);

/// Looks each of `names` up through libmspack's index search (PMGI chunks
/// and quick-reference tables) and checks the offset/length found there.
/// Returns the first name that cannot be found, or empty when all are.
std::string FirstMissingByFastFind(const std::string& chm_path, const FileMap& names);

/// The program's path on PATH, or empty.
std::string FindProgram(const std::string& name);

/// Runs extract_chmLib / 7-Zip into `folder`; returns the files below it
/// (names with a leading "/"). nullopt when the program fails.
std::optional<FileMap> ReadWithExtractChmLib(const std::string& chm_path, const std::string& folder);
std::optional<FileMap> ReadWith7z(const std::string& program, const std::string& chm_path, const std::string& folder);

/// Runs our unpacker hh.exe ("-decompile FOLDER FILE") likewise.
std::optional<FileMap> ReadWithHh(const std::string& hh_exe, const std::string& chm_path, const std::string& folder);

/// The string records of a #SYSTEM file by code.
std::map<int, std::string> SystemStrings(const std::string& system_file);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

}  // namespace hha_test
