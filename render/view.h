// The wireframe view: projects, clips and draws lines and boxes into an image, and picks.
//
// Placeholder until the 3D view's issue: the view records the segments and boxes it is given, in
// world space, so that callers' drawing can be checked; nothing is projected or drawn.
#pragma once

#include <vector>

#include "framework/core/base_object.h"
#include "framework/core/box3d.h"
#include "framework/core/matrix34.h"
#include "framework/core/vector3.h"
#include "scene/line_drawer.h"

class CSelection;

class CView : public CBaseObject, public CLineDrawer {
 public:
  struct SSegment {
    vector3<double> a;
    vector3<double> b;
  };
  struct SBox {
    C3dBox box;
    C34Matrix objectToWorld;
  };

  explicit CView(CSelection* selection = nullptr) : fSelection(selection) {}

  void DrawLine3d(const vector3<double>& a, const vector3<double>& b, const C34Matrix& worldToCamera) override;
  void DrawBox(const C3dBox& box, const C34Matrix& objectToWorld, const C34Matrix& worldToCamera) override;

  const std::vector<SSegment>& GetRecordedSegments() const { return fSegments; }
  const std::vector<SBox>& GetRecordedBoxes() const { return fBoxes; }

 private:
  CSelection* fSelection = nullptr;
  std::vector<SSegment> fSegments;
  std::vector<SBox> fBoxes;
};
