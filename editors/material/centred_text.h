// Texts that the editors' fields and labels show centred in their elements.
#pragma once

class CTxElement;

// The text's measured rectangle moved to the middle of the element.
void CentreText(CTxElement* element);
// A copy of the text becomes the element's own, centred; redrawn when asked and the element shows.
void ShowCentredText(CTxElement* element, const char* text, bool redraw);
// A copy of the text becomes the element's own, starting at x = left and centred from top to bottom;
// redrawn when asked and the element shows.
void ShowTextFromLeft(CTxElement* element, const char* text, float left, bool redraw);
