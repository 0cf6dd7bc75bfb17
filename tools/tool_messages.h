// How the tools report a failure about a file: "TOOL: FILE: what is wrong (code N)" on the standard
// error stream, saying "is a folder" for a folder rather than the code's own text.
#pragma once

#include <cstdint>
#include <string>

// The text for a failure of code about path; a reader's refusal, when it gave one, says which kind
// of file it does not read.
std::string FileProblem(const std::string& path, int32_t code, const std::string& refusal = "");
// Prints the failure and answers the tool's exit status for it, 1.
int ReportFileProblem(const char* tool, const std::string& path, int32_t code, const std::string& refusal = "");
// An output the tool would write through a temporary: false (reported) when it exists and is not a
// plain file, so that nothing is worked out for it in vain.
bool CheckOutput(const char* tool, const std::string& path);
