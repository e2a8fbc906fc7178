// Special folders and the program's data folder beneath "Orvo Project".
#pragma once

#include <cstdint>
#include <string>

namespace velnor {

// The folder in which the program keeps its files; a full path ending in "\".
extern std::wstring DataFolder;
// The same for the all-users variant; this program never asks for it.
extern std::wstring CommonDataFolder;

// 0 documents, 1 roaming application data, 2 local application data,
// 3 all-users application data, 4 pictures, 5 all-users documents.
// Returns the path without a trailing "\", or empty text when the folder is
// not supplied or the index is above 5.
std::wstring GetSpecialFolder(std::uint8_t index);

// Creates "<base>\Orvo Project\<name>" one level at a time where missing, sets
// DataFolder (or CommonDataFolder) to it followed by "\" in every case, and
// returns whether that folder exists now.
bool PrepareDataFolder(const std::wstring& name, bool common);

}  // namespace velnor
