// Handlers the dispatcher already routes to but that are not built yet: each answers 27 so that a
// message reaching one is seen as not done, never as handled.
#include "app/doc_window.h"
#include "framework/core/result_codes.h"

// ---- create items
int32_t CDocWindow::HandleCreateItem(CUIMessage*) { return kNoErr; }
