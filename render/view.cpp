#include "render/view.h"

void CView::DrawLine3d(const vector3<double>& a, const vector3<double>& b, const C34Matrix&) {
  fSegments.push_back({a, b});
}

void CView::DrawBox(const C3dBox& box, const C34Matrix& objectToWorld, const C34Matrix&) {
  fBoxes.push_back({box, objectToWorld});
}
