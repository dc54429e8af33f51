#pragma once
#include <QString>

// The one shell special folder the program asks for: the user's Favorites folder.
constexpr int CSIDL_FAVORITES = 6;

// The full path of a shell special folder, or the empty string when the folder is
// unknown or does not exist.
QString GetSpecialFolderPath(int id);
