// Scene documents for the harnesses: read through the program's own entry point into a fresh table,
// and seeds written from scene descriptions by quarn2-scene's own reader and the document writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/file_spec.h"

// The document opened as the program opens it, every thing read, linked and its settings taken; when
// it reads, the table and settings are written again as a new document. Answers the read's code.
int32_t ReadFuzzDocument(const CFileSpec& spec);

// The bytes of a document that quarn2-scene writes from the description; stops the process when the
// description cannot be read or written.
std::vector<uint8_t> SceneDocument(const std::string& description);

// The document with a thing of every stored class among the regression inputs, made by the document
// tests' fixture.
std::string FullSceneDocumentPath();

// Small descriptions that together hold every statement quarn2-scene takes.
std::vector<std::pair<std::string, std::string>> SampleScenes();
