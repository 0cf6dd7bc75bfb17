// Asking for a picture file and reading it, as the commands that load pictures do: nothing behind the
// file dialog takes input while it is up, and the busy cursor shows while the file is read.
#pragma once

#include <cstdint>

class CFileSpec;
class CImage;
class CUICmFunction;

// 0 and the new image in *image (the caller deletes it), the file chosen in *chosen when asked for;
// kSilentCode24 when the dialog was cancelled; else the dialog's or the reader's code.
int32_t AskAndReadImage(CUICmFunction* owner, CImage** image, CFileSpec* chosen = nullptr);
