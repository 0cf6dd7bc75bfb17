// The preset libraries' and sky & fog editors' part of the start-up: they register what the sky action
// of editing/ calls of them. The program's entry calls it, and so does every test program that undoes
// sky changes.
#pragma once

void RegisterPresetServices();
