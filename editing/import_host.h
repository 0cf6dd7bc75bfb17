// What the plug-in callbacks need of the document window besides CDocumentHost: the material that a
// new object's material copies, and the window's two selection commands that an import ends with.
// The document window implements it.
#pragma once

#include <cstdint>

class C3dMaterial;
class C3dObject;

class CImportHost {
 public:
  virtual ~CImportHost() = default;

  // The window's material for new objects; null when it has none (a new material then keeps its
  // defaults).
  virtual C3dMaterial* GetDefaultMaterial() const = 0;
  // Makes the object, just entered in the scene table, the only selected object: its transform
  // vectors become their drag-start copy, the selection holds it alone, the view is flagged with the
  // view changed, the scene parts are looked up again (so the object joins the object list) and
  // "objinfochanged" goes out with mask 2. 0 or the failing step's code.
  virtual int32_t SelectNewObject(C3dObject* object) = 0;
  // Two or more selected objects become one new group in the scene table, which is then the only
  // selected object, with its undo action recorded; fewer change nothing. 0 or the failing step's
  // code.
  virtual int32_t GroupSelection() = 0;
};
