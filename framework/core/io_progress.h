// The input/output progress display of imports and exports: a dialog with a description, a status
// line and a percentage, redrawn at most once a tick, and a restricted message pump that lets the
// user cancel (answer 24) while everything else waits.
#pragma once

#include <cstdint>

class CIOProgressDialog;

// Caption followed by the description of the loaded plug-in's format item formatIndex.
void ProgressBegin(const char* caption, uint32_t formatIndex);
// 0 to go on, 24 when the user cancelled.
int32_t ProgressUpdate(const char* status, uint32_t done, uint32_t total);
void ProgressEnd();
void ProgressSetText(const char* text);
int32_t PumpWhileBusy();

// With the user interface: 0, or 13 when the dialog could not be made.
int32_t SetUpIOProgress();
void TearDownIOProgress();
CIOProgressDialog* GetIOProgressDialog();
