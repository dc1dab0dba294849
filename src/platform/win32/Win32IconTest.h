#pragma once
// The icon test: does a desktop icon lie under a point of the shell's desktop
// list view? The list view lives in another process (the shell), so the hit-test
// record is written into that process's memory (the direct method). The fallback
// method hands the list view a file mapping's view, whose address means something
// only in this process: it is used only when the list view belongs to this process;
// otherwise the answer is "no icon" (handing another process an address of ours would
// be meaningless to it, and may crash the shell).
#include <windows.h>

namespace IconTest {

// The system's list-view hit-test record as the list view reads it (24 bytes).
struct HitRecord {
    LONG x;
    LONG y;
    UINT flags;
    int item;
    int subItem;
    int group;
};
static_assert(sizeof(HitRecord) == 24, "LVHITTESTINFO of a 64-bit list view");

constexpr UINT kOnItem = 14; // LVHT_ONITEM: icon, label or state icon
constexpr DWORD kProcessAccess = 0x438; // query information, memory operation, read, write

enum class Method { None, Direct, Mapping };

// TRUE when an icon lies under (x, y) in the list view's client area. A window that
// is not a list view ("SysListView32") has no icons. used (optional) tells which
// method answered.
bool IsIconAt(HWND listView, int x, int y, Method* used = nullptr);

// The direct method; false in usable when the process or its memory could not be had
// (the caller may then try the fallback).
bool IsIconAtDirect(HWND listView, int x, int y, bool& usable);
// The fallback: a temporary file's mapping, deleted again after the test. Only for a
// list view of this process.
bool IsIconAtByMapping(HWND listView, int x, int y);

} // namespace IconTest
