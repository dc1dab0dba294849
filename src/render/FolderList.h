#pragma once
// The mail-folder block: each folder's name, cut with "..." where it is too long,
// and its count right-aligned in bold when there is something unread.
class CMailFolders;
class CMemWallPaper;
class CRegionList;

class CFolderList {
public:
    static void Draw(CMemWallPaper& data, CRegionList& regions, const CMailFolders& folders);
};
