// The wireframe view: the state with which a document view or a preview draws its scene as lines into
// a 32-bit image and finds what lies under a pixel. It takes its projection from the scene camera,
// clips world segments at the ground and the near plane, projects them, clips them to the image and
// rasterises them in 16.16 fixed point, optionally antialiased and dashed. Scene objects draw their
// own wireframes through its line operations; DrawSceneWireframe draws the whole scene.
#pragma once

#include <cstdint>
#include <optional>

#include "framework/core/base_object.h"
#include "framework/core/box3d.h"
#include "framework/core/matrix34.h"
#include "framework/core/vector3.h"
#include "framework/image/image.h"
#include "scene/line_drawer.h"

class C3dBaseSys;
class C3dCamera;
class C3dObject;
class CRenderContext;
class CViewSelection;

// Segment clips: false when nothing of the segment remains, else the end outside is moved onto the
// boundary, its other two components interpolated along the segment.
// Keeps y ≥ −0.01 (the single-precision value, as a double): the part above the ground.
bool ClipSegmentAboveGround(vector3<double>& a, vector3<double>& b);
// Keeps z ≥ 0.1 (the single-precision value, as a double): the part in front of the near plane.
bool ClipSegmentNear(vector3<double>& a, vector3<double>& b);

// The look of a view's lines, which a preview copies from its document's view.
struct SViewStyle {
  // The detail handed to each object's wireframe operation; 0 draws bounding boxes only.
  uint32_t detail = 32;
  uint32_t selectedDetail = 16;
  uint32_t fastDetail = 8;
  uint32_t pen = 0x00FFFFFF;
  uint32_t front = 0x00555555;
  uint32_t shadow = 0x00B0B0B0;
  uint32_t background = 0x00CACACA;
  // Antialiased lines skip the rows (or columns) whose running counter shares a bit with it.
  uint32_t dashMask = 0;
  bool antialias = true;
  // The horizon is drawn and world lines are clipped at the ground.
  bool ground = true;
  // Every object is drawn a second time, flattened onto the ground.
  bool shadows = true;
  // Lines fade towards the background with depth.
  bool depthCue = true;
  // Off: a parallel projection.
  bool perspective = true;
  float depthCueStrength = 0.8f;
};

class CView : public CBaseObject, public CLineDrawer {
 public:
  static constexpr uint32_t kHorizonColour = 0x00007FFF;
  // Pixel coordinates of projected points are held within ±2^30.
  static constexpr double kPixelLimit = 1073741824.0;

  // The selection may be none (previews): no selection box or handles are drawn then.
  explicit CView(CViewSelection* selection = nullptr);
  ~CView() override;
  CView(const CView&) = delete;
  CView& operator=(const CView&) = delete;

  // The style's defaults, with the interruptible flag left as it is; the focal factor back to 1.
  void ResetStyle();
  SViewStyle& GetStyle() { return fStyle; }
  const SViewStyle& GetStyle() const { return fStyle; }
  // Set for one scene draw: a click then gives up detail; cleared by every scene draw.
  void SetInterruptible(bool interruptible) { fInterruptible = interruptible; }
  bool IsInterruptible() const { return fInterruptible; }

  CViewSelection* GetSelection() const { return fSelection; }
  void SetObjectList(C3dBaseSys* objects) { fObjects = objects; }
  C3dBaseSys* GetObjectList() const { return fObjects; }
  void SetCamera(C3dCamera* camera) { fCamera = camera; }
  C3dCamera* GetCamera() const { return fCamera; }
  // Binds an image that is present and usable (otherwise nothing changes) and takes its size.
  void SetImage(CImage* image);
  CImage* GetImage() const { return fImage; }
  int32_t GetWidth() const { return fWidth; }
  int32_t GetHeight() const { return fHeight; }

  // The projection from the camera for the bound image's size: 0, or 9 when the camera cannot be
  // locked (the previous projection stays). Runs after every camera or image change.
  int32_t UpdateFromCamera();
  const C34Matrix& GetWorldToCamera() const { return fWorldToCamera; }
  const C34Matrix& GetCameraToWorld() const { return fCameraToWorld; }
  const vector3<double>& GetCameraPosition() const { return fPosition; }
  float GetFocalFactor() const { return fFocalFactor; }

  // The eye and the top-left corner of the view plane, in world space.
  void GetViewPlane(vector3<double>& eye, vector3<double>& corner) const;
  // The ray through the centre of pixel (px, py): from the eye, its direction reaching the view plane
  // (not normalised).
  void PixelRay(int32_t px, int32_t py, vector3<double>& origin, vector3<double>& direction) const;
  // The object seen at the pixel, through a render context whose optimizer holds the scene: first
  // without lights, then with the picking filters, which also admit lights, groups and cameras. The hit
  // point is written; none when the context's scene has no objects, or after two misses.
  C3dObject* PickObject(CRenderContext& scene, int32_t px, int32_t py, vector3<double>& point) const;

  // a and b in world space.
  void DrawLine3d(const vector3<double>& a, const vector3<double>& b, const C34Matrix& worldToCamera) override;
  void DrawBox(const C3dBox& box, const C34Matrix& objectToWorld, const C34Matrix& worldToCamera) override;
  // The pixel of a world point, unclipped, truncated; a point that is no number lands far off the
  // image.
  void ProjectToPixel(const vector3<double>& point, const C34Matrix& worldToCamera, int32_t& x, int32_t& y) const;
  // Whether the world box lies wholly in front of the eye and spans at most the pixels across and
  // down the image: any wireframe of a thing that small covers the same few pixels.
  bool IsSmallOnScreen(const C3dBox& box, const C34Matrix& worldToCamera, double pixels) const;
  // In the pen colour, clipped to the image less a border (1 pixel top and left, 2 right and bottom).
  void DrawLine2d(float x0, float y0, float x1, float y1);
  // The clip of DrawLine2d: false when nothing remains (or an end is no number).
  bool ClipLine2d(float& x0, float& y0, float& x1, float& y1) const;

  // What the last scene draw found: where the selection's label goes, the selection's centre in the
  // world and on the image, and the depth range of its depth cue.
  int32_t GetLabelX() const { return fLabelX; }
  int32_t GetLabelY() const { return fLabelY; }
  bool IsSelectionPresent() const { return fSelectionPresent; }
  const vector3<double>& GetSelectionCentre() const { return fSelectionCentre; }
  int32_t GetSelectionCentreX() const { return fSelectionCentreX; }
  int32_t GetSelectionCentreY() const { return fSelectionCentreY; }
  double GetDepthNear() const { return fDepthNear; }
  double GetDepthFar() const { return fDepthFar; }
  double GetDepthScale() const { return fDepthScale; }
  bool IsShadowPass() const { return fShadowPass; }

  // The background colour, or the background picture tiled while one is set.
  void ClearBackground();
  void FillBackground();
  // Copies the picture (when usable) into the view's own background picture and uses it from now on.
  void SetBackgroundImage(CImage* picture);
  // Drops the background picture: the background colour again.
  void UsePlainBackground();
  bool HasBackgroundImage() const { return !fPlainBackground && fBackgroundImage; }
  // The scene classes' wireframe meshes made again at the style's details: the selected objects'
  // mesh, the mesh drawn while the view moves, the other objects' mesh. 0 or the first class's error.
  int32_t ResetClassMeshes() const;
  // The ground's horizon, from the camera's stored view.
  void DrawHorizon();

  // Holds the bound image locked while it lives, so that the lines drawn meanwhile do not lock it one
  // by one; nested holds share the outer one.
  class CImageHold {
   public:
    explicit CImageHold(CView& view);
    ~CImageHold();
    CImageHold(const CImageHold&) = delete;
    CImageHold& operator=(const CImageHold&) = delete;
    bool IsHeld() const { return fView.fPixels != nullptr; }

   private:
    CView& fView;
    std::optional<CImNavigator> fNavigator;
  };

 private:
  friend class CSceneWireframe;

  // Camera space to pixels, unrounded.
  void ProjectCamera(const vector3<double>& p, double& x, double& y) const;
  // Clips a camera-space segment at the near plane, projects and draws it.
  void ProjectSegment(vector3<double> a, vector3<double> b);
  // The pen of a camera-space segment: the pass's colour, faded by depth when depth cue is on.
  void SetDepthPen(double za, double zb);
  // Fixed-point lines, the ends ordered along the major axis.
  void DrawSteepLine(int32_t slope, int32_t x, int32_t yStart, int32_t yEnd);
  void DrawFlatLine(int32_t slope, int32_t y, int32_t xStart, int32_t xEnd);
  void BlendPixel(CImVector& pixel, uint32_t weight) const;
  void TileBackground();

  SViewStyle fStyle;
  bool fInterruptible = false;
  CViewSelection* fSelection = nullptr;
  C3dBaseSys* fObjects = nullptr;
  C3dCamera* fCamera = nullptr;
  CImage* fImage = nullptr;
  int32_t fWidth = 0;
  int32_t fHeight = 0;
  double fCentreX = 0;
  double fCentreY = 0;

  float fFocalFactor = 1.0f;
  double fDepthNear = 0;
  double fDepthFar = 0;
  double fDepthScale = 0;
  bool fShadowPass = false;

  C34Matrix fWorldToCamera;
  C34Matrix fCameraToWorld;
  vector3<double> fRight;
  vector3<double> fUp;
  vector3<double> fForward;
  vector3<double> fPosition;
  double fFocalDistance = 0;
  double fViewPlaneWidth = 0;
  double fViewPlaneHeight = 0;
  double fViewPlaneShiftX = 0;
  double fViewPlaneShiftY = 0;
  double fPixelShiftX = 0;
  double fPixelShiftY = 0;

  int32_t fLabelX = 0;
  int32_t fLabelY = 0;
  vector3<double> fSelectionCentre;
  int32_t fSelectionCentreX = 0;
  int32_t fSelectionCentreY = 0;
  bool fSelectionPresent = false;

  bool fPlainBackground = true;
  CImage* fBackgroundImage = nullptr;

  // The locked image's pixels while an image hold lives.
  CImVector* fPixels = nullptr;
  uint32_t fRowLength = 0;
};

// The whole scene of the view's object list: horizon, flattened shadows, every object in its colour
// (selected ones in red), the selection box and its handles. Always 0.
int32_t DrawSceneWireframe(CView& view, bool fast);
// The selection handles (bit i for handle i) that the scene draw shows in black: all in box mode 1,
// else those of every face of the box whose outside holds the eye.
uint32_t HiddenHandleMask(const C3dBox& box, const vector3<double>& eye, uint32_t boxMode);
