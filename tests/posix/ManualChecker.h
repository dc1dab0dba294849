#pragma once
// Reads an HTML page of the manual and lists what would leave a reader stranded: a link
// or picture whose file does not exist, an in-page link without its target, elements
// that are not closed in order, a repeated id, and scripts (the manual is plain HTML).
#include <string>
#include <vector>

class CManualChecker {
public:
    // One line per problem, "line N: what"; empty when the page is sound. A page that
    // cannot be read is one problem.
    static std::vector<std::string> Check(const std::string& htmlPath);
    // The relative files the page refers to (href and src, without #fragment), in order.
    static std::vector<std::string> ReferencedFiles(const std::string& htmlPath);
};
