// What the editing dialogs share: which selected objects they change, where a group stands, the units
// they show, and the end of every edit of the scene.
#pragma once

#include <cstdint>

#include "framework/core/vector3.h"

class C3dObject;
class CDocumentHost;
class CUndoableAction;

// Rotations are shown in degrees, with pi taken in single precision.
inline constexpr double kDialogPi = double(3.1415927f);
inline double DegreesToRadians(double degrees) { return degrees * kDialogPi * (1.0 / 180.0); }
inline double RadiansToDegrees(double radians) { return radians * 180.0 / kDialogPi; }
inline double& AxisOf(vector3<double>& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }
// The pointer polls of the dialogs' press loops.
inline constexpr int64_t kPollMs = 5;
// The control palette's "objinfochanged" bit of a scene change.
inline constexpr uint32_t kObjectsChanged = 4;

// A ready object that is neither one of the document's own (the view cameras and the sun) nor a
// member of a group: the dialogs edit it.
bool IsEditedObject(const C3dObject* object);
// The centre of the object's world box, which places a group.
vector3<double> BoxCentre(C3dObject* object);

// The end of an edit of the scene, whichever way it ended: the action (or none) pushed onto the
// document's undo history, the view flagged for redraw, "objinfochanged" sent and, when the scene
// changed, the document marked unsaved. The push's code, or 0.
int32_t FinishSceneEdit(CDocumentHost* host, CUndoableAction* action, bool changed);
