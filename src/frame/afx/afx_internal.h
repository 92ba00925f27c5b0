// Between the framework's entry code and its socket start-up.
#pragma once

// Undoes every successful AfxSocketInit of the module; called at detach.
void AfxSocketTerm();
