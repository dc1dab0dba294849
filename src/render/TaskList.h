#pragma once
// The task block: every task in the order the data gives, with its state pictures,
// its subject wrapped over as many lines as it needs and its due date.
#include <string>

class CLocaleValues;
class CMemWallPaper;
class CRegionList;
class CTasks;

class CTaskList {
public:
    // Where the due date of a task goes: after the last subject line when the room
    // left there holds it, else on a line of its own.
    static bool DueDateFitsOnLine(int blockWidth, int textX, int lastLineWidth, int dueWidth) {
        return blockWidth - lastLineWidth - textX - 5 >= dueWidth;
    }
    static void Draw(CMemWallPaper& data, CRegionList& regions, const CLocaleValues& locale, const CTasks& tasks);
};
