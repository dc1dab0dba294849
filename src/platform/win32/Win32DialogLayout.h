#pragma once
// Fits a dialog made from a template to what its controls really need on this system.
// A template gives sizes in dialog units, which follow the dialog font's average
// character, while a picture has a size in pixels and a label the width of its own
// letters: with another font (Wine's, a larger one) a picture can reach over the
// controls under it and a label can be cut at its control's edge or its group box.
#include <windows.h>

// At WM_INITDIALOG: every picture (a bitmap static) at its bitmap's size, the controls
// under it moved to just below it; every check box, radio button, push button and
// one-line label at least as wide as its text in the control's font, its group box
// widened with it where the room beside allows, never over a neighbour. The dialog
// itself grows to hold what moved when resizeDialog is true (not for a property page,
// which its sheet sizes).
void FitDialogLayout(HWND dialog, bool resizeDialog);
