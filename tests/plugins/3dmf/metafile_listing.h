// Every object the metafile library reads from a file, one line each: the class name (or "unknown"),
// the reference number of its label ("-" for none), then its fields in stored order. A field of
// several values is bracketed, floats are "%.9g", strings quoted with C escapes, raw data "0x" and hex
// digits, positions "@offset" (binary) or "label>" (text). Objects inside containers and nested
// objects are indented. A warning follows its object as "~ code message", a failure ends the listing
// as "! code message".
#pragma once

#include <string>

std::string ListMetafile(const std::string& path);
// The listing with every position replaced by "<position>", which differs between the forms.
std::string WithoutPositions(const std::string& listing);
