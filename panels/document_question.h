// What the save changes and revert changes dialogs stand in for until they are built: their questions
// as message boxes and the replies their buttons send. A question is an entry of the "question texts"
// list of the application's resource file, its "%s" replaced by the current document's title.
#pragma once

#include <cstdint>
#include <string>

class CUICmFunction;
class CUIMessage;

// The shell's current document title; none gives "Untitled".
using DocumentTitleSource = const char* (*)();
void SetDocumentTitleSource(DocumentTitleSource source);

// The question's text: the list's entry, or the built-in wording when the list lacks it.
std::string DocumentQuestionText(uint32_t entry);
// Asks it with Yes and No (and Cancel when asked for): platform::kIdYes, kIdNo or kIdCancel.
int32_t AskDocumentQuestion(uint32_t entry, bool withCancel);

// A kind-0 message from elsewhere whose element names the dialog: the request to open it.
bool IsOpenRequest(const CUIMessage* message, const char* dialog);
// What a button of the dialog sends, queued as a kind-0 broadcast to the dialog's canvas: 26, or 9 when
// the queue cannot take it.
int32_t PostReply(CUICmFunction* owner, const char* button, const char* dialog);
