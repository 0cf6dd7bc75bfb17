#include "scene/c_image.h"

#include "framework/core/rect.h"

bool C3dCImage::InvertAlpha() {
  const SRect whole = GetBounds();
  if (whole.right <= whole.left || whole.bottom <= whole.top) return true;
  CSgStSaver saver(this);
  SetClip(whole);
  return CImage::InvertAlpha();
}
