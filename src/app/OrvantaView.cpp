#include "OrvantaView.h"

bool COrvantaView::OnCommand(int) { return false; }
