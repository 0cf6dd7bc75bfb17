// The preview mini-scene: a small scene of its own (a ground plane, a sample shape or a copy of an
// object or light, a sun, a sky, a camera and an image) that the material composer, the texture
// editors, the light editor and the preset libraries embed to show a material, an object, a sky or a
// light. It renders through the preview tracer in time slices, draws itself into its dialog's element,
// and lets a drag there move its camera. Everything it makes lives in the application's objects
// environment and dies with it; materials the dialog hands to its sample stay the dialog's.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/four_cc.h"
#include "framework/core/handle_table.h"
#include "framework/core/rect.h"
#include "framework/ui/geometry.h"
#include "platform/window.h"
#include "render/preview_renderer.h"
#include "render/render_context.h"
#include "render/render_target.h"
#include "scene/base_spool_table.h"

class C3dBaseSys;
class C3dCamera;
class C3dMaterial;
class C3dObject;
class C3dPlane;
class C3dSky;
class C3dSunLight;
class CElement;
class CImage;
class CMenu;
class CView;
struct SWinEvent;

namespace platform {
struct DeviceContext;
}

class CPreviewScene {
 public:
  // The commands of the preview options menu: the sample shapes, then the ground, copies, and the
  // display options.
  static constexpr uint32_t kSphere = FourCC("psph");
  static constexpr uint32_t kCylinder = FourCC("pcyl");
  static constexpr uint32_t kCube = FourCC("pbox");
  static constexpr uint32_t kCone = FourCC("pcon");
  static constexpr uint32_t kTerrain = FourCC("pter");
  static constexpr uint32_t kTorus = FourCC("ptor");
  static constexpr uint32_t kGround = FourCC("pgro");
  static constexpr uint32_t kSelection = FourCC("pcur");
  static constexpr uint32_t kLight = FourCC("plit");
  static constexpr uint32_t kOwnSky = FourCC("prns");
  static constexpr uint32_t kGroundMaterial = FourCC("prng");
  static constexpr uint32_t kCloseUp = FourCC("pupc");
  static constexpr uint32_t kNormalView = FourCC("pnrm");
  static constexpr uint32_t kShapeCount = 6;

  // Ready when both tables could reserve their first entries.
  CPreviewScene();
  ~CPreviewScene();
  CPreviewScene(const CPreviewScene&) = delete;
  CPreviewScene& operator=(const CPreviewScene&) = delete;
  bool IsReady() const { return fReady; }

  // Builds the whole scene once for a width × height image: ground, sphere sample, sun, camera,
  // image and view, then, with a shape, the shape of the code (a copy of the selection for 'pcur').
  // 0, or the first failing step's code (9 memory, 13 a thing that does not initialise, 15 when
  // built already).
  int32_t BuildSample(int32_t width, int32_t height, bool withShape, bool keepGroundPlain, uint32_t shape);
  // Switches the sample: a shape code, 'pgro', 'prns', 'prng', or 'pcur' and 'plit' with the object to
  // copy. 0, 26 when a copy was made, or an error code.
  int32_t BuildObjectSample(uint32_t code, C3dObject* object = nullptr);
  // Pops up the options menu (a pop-up menu of the commands above, loaded by the dialog) at the
  // screen point over the window, with 'prns' and 'prng' ticked by their options and the current
  // sample's command ticked, and carries out the command chosen; 0 when none was.
  int32_t HandleOptionsMenu(CMenu* menu, SPointHV screenPoint, platform::WindowHandle window);
  // A command of the options menu, as the menu carries it out: the shapes and 'pgro' switch the
  // sample, 'pcur' copies the selection, 'prns' and 'prng' toggle their option, 'pupc' and 'pnrm' set
  // the close-up; any other code changes nothing (0).
  int32_t PerformCommand(uint32_t code);
  // Shows the object (a group by its members) on the ground, and prepares the renderer.
  int32_t SetSampleObject(C3dObject* object);
  // A copy of the document's first selected root object: 26, 6 when nothing is selected or no
  // document is registered, 9 when the document cannot be locked.
  int32_t SampleFromSelection();

  // Renders into the image while a render is pending, drawing finished bands into the port at the
  // destination: 0 when complete, 24 interrupted (call again), 9 when the lights cannot all be
  // locked, or the sky's or sun's lock error.
  int32_t Render(platform::DeviceContext* port, const SRect& destination);
  // After a change of what the sample or its lights look like: the renderer's rows collected again
  // and the render started afresh. 0 or the preparation's code.
  int32_t RestartRender();
  // The own sky made again when missing, sun and sky applied again, the projection reset: 0, 1 when
  // the sky cannot be locked.
  int32_t Refresh();
  // The zoom of the close-up option applied, the projection reset, the renderer prepared and the
  // render restarted.
  int32_t ResetView();
  // For a sky: the sample small above the camera's line of sight and no ground.
  int32_t ArrangeForSky();
  // Makes the sky the current one without owning it: it is never deleted or released here, and it
  // stays current until another is set (null: the own sky until the sky choice is applied again).
  void SetSky(C3dSky* sky);
  // The current sky's settings taken for the render, which starts again: 0, or the code of locking or
  // preparing the sky.
  int32_t SetSkyFrom();
  // The preview camera into the object's camera settings: 0, 1 when either cannot be locked.
  int32_t CopyCameraTo(C3dObject* object);
  // Shows the image at the element's place in the port; a press in it turns the camera with the
  // pointer until the button is released (Ctrl moves it along its view, Space shifts the view, Alt
  // puts it back home), showing the scene in wireframe meanwhile, and then restarts the render.
  int32_t Paint(CElement* element, platform::DeviceContext* port, const SWinEvent* press);
  // The scene in wireframe into the image.
  int32_t DrawWireframe();
  // 0 when the object can be locked, else 9.
  static int32_t CheckObject(C3dObject* object);

  CImage* GetImage() const { return fImage; }
  CView* GetView() const { return fView.get(); }
  CPreviewRenderer& GetRenderer() { return fRenderer; }
  CRenderContext& GetContext() { return fContext; }
  C3dCamera* GetCamera() const { return fCamera; }
  C3dSunLight* GetSun() const { return fSun; }
  C3dPlane* GetGround() const { return fGround; }
  C3dMaterial* GetGroundMaterial() const { return fGroundMaterial; }
  // The sky in use: the own one, or the document's.
  C3dSky* GetSky() const { return fSky; }
  C3dSky* GetOwnSky() const { return fOwnSky; }
  C3dObject* GetSample() const { return fSample; }
  // The sample of a shape code, once made.
  C3dObject* GetShape(uint32_t code) const;
  C3dObject* GetCopy() const { return fCopy; }
  // Entries of the object table (0 the ground, then the sample) and of the light table (0 the sun).
  uint32_t GetObjectCount();
  C3dObject* GetObjectEntry(uint32_t index);
  uint32_t GetLightCount();
  C3dObject* GetLightEntry(uint32_t index);
  uint32_t GetShapeCode() const { return fShapeCode; }
  Handle32 GetRememberedMaterial() const { return fRemembered; }
  bool IsCloseUp() const { return fCloseUp; }
  bool UsesOwnSky() const { return fOwnSkyOn; }
  bool GroundKeepsOwnMaterial() const { return fGroundOwnMaterial; }
  bool IsRenderPending() const { return fPending; }
  // The pending render dropped: the image keeps what it shows (a stored preview) until a restart.
  void CancelRender() { fPending = false; }

 private:
  class CRenderScene;

  static int ShapeIndex(uint32_t code);
  int32_t MakeShape(uint32_t code, C3dObject** out);
  int32_t MakeCopy(uint32_t code, C3dObject* object);
  void DeleteCopy();
  int32_t MakeCamera();
  int32_t MakeOwnSky();
  void SetUpSun();
  void PlaceCameraHome();
  // The sky choice applied: the own sky with the preview's sun, or the document's sky with a copy of
  // its sun; then prepared from the lights.
  int32_t ApplySky();
  void ApplyGroundMaterial();
  // Rows of the renderer's scene from the two tables.
  void UpdateRenderScene();
  void UpdateProjection();
  int32_t Drag(CElement* element, platform::DeviceContext* port, const SRect& destination);
  void ShowImage(platform::DeviceContext* port, const SRect& destination);

  bool fReady = false;
  CPreviewRenderer fRenderer;
  CRenderContext fContext{1, 1, 10, 0};
  CRenderTarget fTarget{nullptr};
  C3dBaseSpoolTable fObjects;
  C3dBaseSpoolTable fLights;
  std::unique_ptr<CRenderScene> fRenderScene;
  int32_t fWidth = 0;
  int32_t fHeight = 0;
  bool fWithShape = true;

  C3dPlane* fGround = nullptr;
  C3dMaterial* fGroundMaterial = nullptr;
  C3dObject* fSample = nullptr;
  C3dObject* fShapes[kShapeCount] = {};
  C3dObject* fCopy = nullptr;
  C3dSunLight* fSun = nullptr;
  C3dCamera* fCamera = nullptr;
  C3dSky* fSky = nullptr;
  C3dSky* fOwnSky = nullptr;
  // A sky that another owner lends the preview (SetSky).
  C3dSky* fLentSky = nullptr;
  CImage* fImage = nullptr;
  std::unique_ptr<CView> fView;

  bool fCloseUp = false;
  bool fOwnSkyOn = true;
  bool fGroundOwnMaterial = true;
  uint32_t fShapeCode = kSphere;
  // The material the samples wear, taken from the sample shown before each switch.
  Handle32 fRemembered = kNoHandle;
  // A render is wanted: set with every restart, cleared when one finishes.
  bool fPending = false;
};
