// The program's cursors are its own pictures: "cursor 124", "cursor NAME" in the application's
// resources. Installing the loader lets the framework core's cursor lookup find them without the
// core knowing images.
#pragma once

#include "platform/system.h"

// A cursor of the 32-bit picture named pictureName in the application's resource environment, its
// stored origin the hot spot; null when there is no such picture or it cannot be read.
platform::CursorHandle LoadCursorPicture(const char* pictureName);
void InstallCursorPictureLoader();
void RemoveCursorPictureLoader();
