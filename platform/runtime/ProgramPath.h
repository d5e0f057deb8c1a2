#pragma once
// Where the program lives: the folder of the running executable, with a trailing '/'.

#include <string>

namespace rt {

std::string ProgramDirectory();

// Tests place the program in a folder of their own (a trailing '/' is added when missing); the
// empty text goes back to the executable's folder.
void SetProgramDirectoryForTests(const std::string& directory);

} // namespace rt
