#pragma once
#include <string>

// Turns a build date such as "Nov  4 2008" (the form of __DATE__) into "081104":
// year minus 2000, month and day, each as "%02d". An unknown month gives -1 there.
std::string MakeBuildStamp(const std::string& buildDate);
