// The section readers of a DXF drawing: the top level, HEADER, TABLES (layers, linetypes, text
// styles), BLOCKS and the entity walker, and the release of everything they read.
#pragma once

#include "plugins/dxf/dxf_records.h"

// Reads the drawing from gImport.reader into gImport.drawing: the sections up to ENTITIES, the
// default linetype, layer and style where the file has none, then the entities. A drawing that ends
// with "0"/"EOF" before any ENTITIES section has none.
void ReadDrawing();
// Frees everything ReadDrawing read, in the release order of the import.
void ReleaseDrawing();
