// The documents' part of the start-up: they register what the framework core calls of them (the
// description of a plug-in's format, for the progress display). The program's entry calls it, and so
// does every tool or test program that shows plug-in work in the progress display.
#pragma once

void RegisterDocumentServices();
