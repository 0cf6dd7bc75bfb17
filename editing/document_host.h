// What the document object and the actions reach of the window that shows the document: its scene
// table and object list, its current camera, and its redraw and notification. The document window
// implements it; the window owns the scene, the document only works on it.
#pragma once

#include <cstdint>

#include "framework/core/vector3.h"
#include "framework/ui/geometry.h"

class C3dBaseSpoolTable;
class C3dBaseSys;
class C3dCamera;
class C3dDocument;
class C3dSky;
class C3dSunLight;
class CView;
class C3dMaterial;
class C3dSky;
struct SDiskRender;
struct SReplicateSettings;

class CDocumentHost {
 public:
  virtual ~CDocumentHost() = default;

  // Every scene thing of the document; null before the window is set up.
  virtual C3dBaseSys* GetSceneTable() = 0;
  // The placed objects the views draw and the renderer traces, in the scene's order, with the
  // current camera last; rows point into the scene table. Null before the window is set up.
  virtual C3dBaseSpoolTable* GetObjectList() = 0;
  virtual C3dCamera* GetCurrentCamera() = 0;

  // Looks up the scene's camera, body and sun light again after things entered or left the scene
  // (with relink the groups' member links are rebuilt first) and marks the document changed: 0 or
  // the failing step's code.
  virtual int32_t FindSceneParts(bool relink) = 0;
  // Restarts the progressive render and tells the control palette, with "objinfochanged" carrying
  // the change bits (2 and 4: the scene changed; bit 31: render the preview at once).
  virtual void NotifyObjInfoChanged(uint32_t changes) = 0;
  // Flags the window for a lazy redraw; viewChanged when the view or its camera moved.
  virtual void Invalidate(bool viewChanged) = 0;
  // The render camera derived again from the current camera: 0 or the lock's code.
  virtual int32_t CacheCameraState() = 0;
  // The ray from the eye through the pixel (x, y) of the window's view; false without a view.
  virtual bool PixelRay(int32_t, int32_t, vector3<double>*, vector3<double>*) { return false; }

  // What the edit palette's drags reach besides, each standing for nothing by default: the document
  // with its selection and undo history; an immediate redraw (0 or its code), since the drag loops
  // do not return to the heartbeat; the dragging byte, which keeps those redraws light; and the
  // object-info notification of a drag step, sent while F10 is held or the window asks for it.
  virtual C3dDocument* GetHostDocument() { return nullptr; }
  virtual int32_t RedrawNow() { return 0; }
  virtual void SetDragState(bool) {}
  virtual void NotifyDragStep(uint32_t) {}

  // What the edit and selection palettes reach besides, each doing nothing and answering 0 by
  // default. The alignment of the selection on its first object (CSelection's modes 0 to 9).
  virtual int32_t AlignSelection(uint32_t) { return 0; }
  // The selection commands: by kind or light class tag, by family number, all, inverted, the
  // imported meshes, and solo mode entered and left.
  virtual int32_t SelectKind(uint32_t) { return 0; }
  virtual int32_t SelectLightClass(uint32_t) { return 0; }
  virtual int32_t SelectFamily(uint32_t) { return 0; }
  virtual int32_t SelectAll() { return 0; }
  virtual int32_t InvertSelection() { return 0; }
  virtual int32_t SelectImportedMeshes() { return 0; }
  virtual int32_t SoloSelection() { return 0; }
  virtual int32_t EndSolo() { return 0; }

  // The mode word: which image the window shows, and whether the rendered image lies behind the
  // wireframe.
  enum : uint32_t {
    kWireframeShown = 0x1,
    kRenderedShown = 0x2,
    kRenderedBackdrop = 0x4,
  };
  virtual uint32_t GetMode() const { return 0; }
  virtual void SetRenderedBackdrop(bool) {}
  // Switches between the wireframe and the rendered image.
  virtual int32_t ToggleRenderedImage() { return 0; }
  // The axes the transform options work in: 0 world, 1 the object's own, 2 the camera's.
  virtual int32_t GetEditSpace() const { return 0; }

  // What the display palette reaches besides, each doing nothing (none, false, 0) by default: the
  // view whose style it sets; the live preview flag, under which the window draws its drags into the
  // nano editor; the byte that tells the window its background changed; the hiding of shadows under
  // the ground; picture N of the window's layout file as the view's background picture (the read's
  // code); the camera's pan drag from a screen point until the mouse button is up (its code); and the
  // rendered region's control shown again.
  virtual CView* GetHostView() { return nullptr; }
  virtual bool IsLivePreviewOn() const { return false; }
  virtual void SetLivePreviewOn(bool) {}
  virtual void MarkBackgroundChanged() {}
  virtual bool IsHidingUnderground() const { return false; }
  virtual void SetHidingUnderground(bool) {}
  virtual int32_t LoadBackdrop(uint32_t) { return 0; }
  virtual int32_t TrackCameraDrag(SPointHV) { return 0; }
  virtual void ShowPlopRender() {}
  // The whole window painted again, margins and all.
  virtual void RepaintWindow() {}
  // What the material composer reaches besides, none by default: the material new objects get; the
  // material clipboard, made on first use when make is set (null when it cannot be made, with the
  // reason in *error when one is given); and the picture textures of the document.
  virtual C3dMaterial* GetDefaultMaterial() const { return nullptr; }
  virtual C3dMaterial* GetMaterialClipboard(bool /*make*/, int32_t* /*error*/ = nullptr) { return nullptr; }
  virtual C3dBaseSpoolTable* GetPictureList() const { return nullptr; }

  // What the preset palette reaches besides: the document marked as changed since it was saved, and
  // where new objects go (0 and the point, or 1 for the default placement), 1 by default.
  virtual void MarkUnsavedChanges() {}
  // What the sky preset palette reaches besides: the document's sky and sun light, none by default.
  virtual C3dSky* GetSky() const { return nullptr; }
  virtual C3dSunLight* GetSun() const { return nullptr; }
  virtual int32_t PlaceNewObject(vector3<double>* /*position*/) { return 1; }

  // What the camera editor reaches besides: the size of the image the window shows, whose pixels
  // the camera's pans count; (0, 0) by default.
  virtual SPointHV GetWindowImageSize() const { return {}; }

  // What the export render dialog reaches besides: the document's title (empty by default) and the
  // render of the document straight into a file the user chooses, at the request's size (its code; 0
  // by default).
  virtual const char* GetTitle() const { return ""; }
  virtual int32_t RenderToDisk(const SDiskRender& /*request*/) { return 0; }

  // What the replicate dialog reaches: count copies of the selection, each a step further than the
  // one before, recorded as one undoable step; 0 by default.
  virtual int32_t ReplicateWithParameters(uint32_t /*count*/, const SReplicateSettings& /*step*/, uint32_t /*mode*/) {
    return 0;
  }

  // What the sky & fog palette reaches besides, none or nothing by default: the scene's table of
  // lights (the sky is GetSky's); the sky prepared for rendering again (0 or its code); and a clear and render of
  // the window, as its "clear & render button" does.
  virtual C3dBaseSpoolTable* GetHostLightList() { return nullptr; }
  virtual int32_t PrepareHostSky() { return 0; }
  virtual void ClearAndRender() {}
};

// The document host of the current document window, which dialogs that open on no document of
// their own work on; none before a window is made. The application sets it wherever it makes a
// window current.
CDocumentHost* GetCurrentDocumentHost();
void SetCurrentDocumentHost(CDocumentHost* host);
