// ".menu" sources: a menu's header and rows, one keyword a line ('#' starts a comment):
//   title "TEXT"                   the caption in a menu bar
//   id N                           the menu's number for its owner
//   flags [pop-up] [independent-checks]
//   words A B                      kept and written back, not read (default 0 and -1)
//   growth N                       rows the table grows by (default 1)
// then one row a line, in order:
//   item "TEXT" [key C] [alternate C] [ctrl] [alt] [alt2] [shift] [disabled] [checkable] command CODE
//   separator
// CODE is a four-character code in single quotes ('open') or a number; a key is one character, and a
// given key marks the row as having an accelerator. Texts are UTF-8 and stored in Mac OS Roman: a
// character that does not come back the same through the interface's character set is refused, as is
// a text longer than 31 bytes.
//
// Compiled, a menu is its stored resource's bytes as one block: the 80-byte header, then the rows, all
// in their stored (big-endian) order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CResourceEnv;
struct SSpoolKey;

// Errors read "LINE: reason".
bool CompileMenu(const std::string& text, std::vector<uint8_t>* out, std::string* error);
// Stores a compiled menu as a "menu" resource through the menu's own record handler; 0 or the code.
int32_t StoreMenu(CResourceEnv& env, const SSpoolKey& key, const std::vector<uint8_t>& compiled);
// The stored menu as a source that compiles back to the same resource; false with the reason.
bool DecodeMenu(CResourceEnv& env, const SSpoolKey& key, std::string* text, std::string* error);
