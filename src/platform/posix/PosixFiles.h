#pragma once
// File-system helpers the Linux ports share.
#include <string>

// Creates the folder and every missing parent with mode 0700; true when it exists after.
bool MakeFolders(const std::string& dir);

// The user's home folder: $HOME when it is an absolute path, else the home the password
// database gives for this user; empty when neither is known.
std::string HomeFolder();
