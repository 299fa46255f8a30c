// Test helper: a project file as the CHM tab writes it, for the tests of
// the project reader and of the compiler that reads it.
#pragma once

#include <string>
#include <vector>

namespace qm {

/// The project text in UTF-8, before the code page conversion. book and home
/// are UTF-8; files are relative paths with "\" separators, one [FILES]
/// line each.
inline std::string TabProjectUtf8(const std::string& book, const std::string& home,
                                  const std::vector<std::string>& files) {
  std::string list;
  for (const std::string& f : files) list += f + "\r\n";
  return "[OPTIONS]\r\n"
         "Display compile progress=no\r\n"
         "Default Window=win\r\n"
         "Compiled file=" +
         book +
         ".chm\r\n"
         "Default topic=" +
         home +
         "\r\n"
         "\r\n"
         "[WINDOWS]\r\n"
         "win=\"" +
         book + "\",\"" + book + ".hhc\",,\"" + home + "\",\"" + home +
         "\",,,,,0x040120,,0x304E,[0,0,1010,738],0x0,0x0,,,,,\r\n"
         "\r\n"
         "[FILES]\r\n"
         "\r\n" +
         list;
}

}  // namespace qm
