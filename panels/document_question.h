// The questions that the save changes and revert changes dialogs stand in for with message boxes
// until those dialogs are built: an entry of the "question texts" list of the application's resource
// file, its "%s" replaced by the current document's title.
#pragma once

#include <cstdint>
#include <string>

// The shell's current document title; none gives "Untitled".
using DocumentTitleSource = const char* (*)();
void SetDocumentTitleSource(DocumentTitleSource source);

// The question's text: the list's entry, or the built-in wording when the list lacks it.
std::string DocumentQuestionText(uint32_t entry);
// Asks it with Yes and No (and Cancel when asked for): platform::kIdYes, kIdNo or kIdCancel.
int32_t AskDocumentQuestion(uint32_t entry, bool withCancel);
