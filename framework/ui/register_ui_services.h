// The interface framework's part of the start-up: it registers what the framework core and the image
// lists call of it (the canvas class, the element classes and operations, the console, the element
// images). Every program, tool and test program that makes windows, canvases or elements calls it
// before it builds its application.
#pragma once

void RegisterUiServices();
