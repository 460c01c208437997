// The files ksreport-read is given: its arguments as UTF-8 and the bytes
// of a file by its UTF-8 name. On Windows the arguments come from the wide
// command line, so that names in any script arrive whole, and a name with
// * or ? stands for the files it matches, as a shell would expand it.
#pragma once

#include <string>
#include <vector>

namespace ksr {

// The arguments after the program's name.
std::vector<std::string> ReadArguments(int argc, char** argv);

// The bytes of a file, or of standard input for "-". False when it can't
// be read, with why in the system's words ("No such file or directory",
// "is a folder").
bool ReadFileBytes(const std::string& path, std::string* bytes, std::string* error);

}  // namespace ksr
