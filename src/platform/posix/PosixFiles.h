#pragma once
// File-system helpers the Linux ports share.
#include <string>

// Creates the folder and every missing parent with mode 0700; true when it exists after.
bool MakeFolders(const std::string& dir);
