// The ray arithmetic of the unit shapes (sphere, box, pyramid, cone, cylinder, the flat plane, square
// and disk, the torus), on a ray already brought into the shape's object space, shared by the
// primitives, the camera's pick body and the lights whose visible volumes have those shapes; and the
// steps every such object runs around it: the entry tests, the nearest hit written into the ray, the
// crossings put into a span list, and its world box.
//
// The cores fill a crossing's object-space part: t, point, normal, and u, v and the two tangents
// when the ray wants texture values. Nearest-hit cores accept only t inside the ray's interval and,
// testing surfaces in a fixed order, keep a later one only when it is strictly nearer.
#pragma once

#include "framework/core/box3d.h"
#include "framework/core/matrix34.h"
#include "scene/object.h"
#include "scene/ray.h"

// Where a shape's bottom lies and whether its bottom face is tested. The beam lights move it far down
// so that their volume follows the beam, and leave it open where the beam has no end.
struct SShapeBottom {
  double level = 0;
  bool closed = true;
};

inline constexpr SShapeBottom kBoxBottom{-0.5, true};
inline constexpr SShapeBottom kPyramidBottom{-0.5, true};
inline constexpr SShapeBottom kConeBottom{-1, true};
inline constexpr SShapeBottom kCylinderBottom{-1, true};
// Where an unbounded beam's volume ends.
inline constexpr double kBeamBottom = -1000000;

// The flat shapes of the plane y = 0 of object space: the infinite plane (which a picking ray meets
// only within |x|, |z| ≤ 10), the square |x|, |z| ≤ 1 and the disk of radius 1. Their normal is +y
// from either side.
enum class EFlatShape { kPlane, kSquare, kDisk };

// The ring around the y axis: tube radius `minor` about the circle of radius `major` in y = 0.
struct STorus {
  double minor = 0;
  double major = 0;
  // (−(R + r), −r, −(R + r)) .. (R + r, r, R + r).
  C3dBox LocalBox() const;
};

// Completes a crossing whose object-space part is filled, its shading normal included: the object,
// the world point and both world normals.
void CompleteCrossing(C3dObject& object, SSpanEntry& c);

// Intersect's entry tests (excluded objects, boolean members, pick filters): false when the shape is
// not to be tested, answer then holding what Intersect answers.
bool PassesEntryTests(C3dObject& object, CRay& ray, bool& answer);
// Writes the ray's object-space origin and direction for the object.
void RayToObjectSpace(C3dObject& object, CRay& ray);

// The unit sphere: the nearer root, or the farther one when the nearer lies at or before the
// interval's start.
bool NearestSphereCrossing(const CRay& ray, SSpanEntry& hit);
// The box -0.5..0.5 (y from the bottom level): faces +x, -x, +y, bottom, +z, -z; a face normal
// points along its positive axis.
bool NearestBoxCrossing(const CRay& ray, const SShapeBottom& bottom, SSpanEntry& hit);
// The square pyramid with its apex at (0, 0.5, 0): the base, then the four sides. At another size
// (the camera's pick body is size 2) apex and bottom level lie size times as far from the origin;
// texture coordinates stay those of the unit pyramid.
bool NearestPyramidCrossing(const CRay& ray, const SShapeBottom& bottom, SSpanEntry& hit, double size = 1);
// The cone with its apex at (0, 1, 0) and radius 1 at y = -1: the base disk, then the mantle.
bool NearestConeCrossing(const CRay& ray, const SShapeBottom& bottom, SSpanEntry& hit);
// The cylinder of radius 1 from the bottom level to y = 1: top disk, bottom disk, then the mantle.
bool NearestCylinderCrossing(const CRay& ray, const SShapeBottom& bottom, SSpanEntry& hit);
// The flat shape's crossing, its point on the plane exactly.
bool NearestFlatCrossing(const CRay& ray, EFlatShape shape, SSpanEntry& hit);
// The nearest root of the torus's quartic within the interval. A ray that misses the box's slabs
// along an axis it runs parallel to, or the cylinder around the torus, is not solved; nor is a
// torus whose tube has no thickness. The object normal keeps its length 2/r.
bool NearestTorusCrossing(const CRay& ray, const STorus& torus, SSpanEntry& hit);

// Every crossing for spans, whatever the ray's interval: at most two, in the order found; the count.
int SphereCrossings(const CRay& ray, SSpanEntry crossings[2]);
int BoxCrossings(const CRay& ray, const SShapeBottom& bottom, SSpanEntry crossings[2]);
int PyramidCrossings(const CRay& ray, const SShapeBottom& bottom, SSpanEntry crossings[2]);
int ConeCrossings(const CRay& ray, const SShapeBottom& bottom, SSpanEntry crossings[2]);
int CylinderCrossings(const CRay& ray, const SShapeBottom& bottom, SSpanEntry crossings[2]);
// The flat shape's crossing and, with farSide, the entry (valid byte 0) that closes the solid the
// shape stands for in boolean groups: the plane's half-space ends at y = −1,000,000, the square and
// the disk are 1e-07 thick along the ray.
int FlatCrossings(const CRay& ray, EFlatShape shape, bool farSide, SSpanEntry crossings[2]);
// Every root of the torus, in the solver's order, or none when there are fewer than two.
int TorusCrossings(const CRay& ray, const STorus& torus, SSpanEntry crossings[4]);

// Intersect of each shape after its entry tests: the ray in object space, its nearest crossing
// recorded and counted.
bool IntersectSphere(C3dObject& object, CRay& ray);
bool IntersectBox(C3dObject& object, CRay& ray, const SShapeBottom& bottom);
bool IntersectPyramid(C3dObject& object, CRay& ray, const SShapeBottom& bottom);
bool IntersectCone(C3dObject& object, CRay& ray, const SShapeBottom& bottom);
bool IntersectCylinder(C3dObject& object, CRay& ray, const SShapeBottom& bottom);
bool IntersectFlat(C3dObject& object, CRay& ray, EFlatShape shape);
bool IntersectTorus(C3dObject& object, CRay& ray, const STorus& torus);

// IntersectSpans of each shape: nothing for an excluded object, otherwise its crossings appended to
// the list without filters or interval. The box needs two crossings to make a span; one crossing of
// the other shapes makes a one-entry span.
bool SphereSpans(C3dObject& object, CRay& ray, CSpanList& spans);
bool BoxSpans(C3dObject& object, CRay& ray, CSpanList& spans, const SShapeBottom& bottom);
bool PyramidSpans(C3dObject& object, CRay& ray, CSpanList& spans, const SShapeBottom& bottom);
bool ConeSpans(C3dObject& object, CRay& ray, CSpanList& spans, const SShapeBottom& bottom);
bool CylinderSpans(C3dObject& object, CRay& ray, CSpanList& spans, const SShapeBottom& bottom);
bool FlatSpans(C3dObject& object, CRay& ray, CSpanList& spans, EFlatShape shape, bool farSide);
// The torus's crossings appended, then the whole list sorted by t.
bool TorusSpans(C3dObject& object, CRay& ray, CSpanList& spans, const STorus& torus);

// With a crossing: completes it in world space, records it in the ray as the object's own hit and
// counts a hit; without one counts a miss. Answers found.
bool RecordNearest(C3dObject& object, CRay& ray, bool found, SSpanEntry& hit);
// After a search with the ray's fDeferWorld set: the world-space point and normals of the hit that
// stayed the nearest, when its shape left them for later.
void CompleteDeferredHit(CRay& ray);
// The texture values of the ray's hit, when its shape left them for shading to ask for
// (CRay::fTexturePending).
void CompleteHitTexture(CRay& ray);
// Completes the object's crossings of one call and puts them at the end of the list in increasing t
// (equal t: the first found first). Fewer than `least` crossings add nothing. Answers whether any
// were added.
bool AppendCrossings(C3dObject& object, CSpanList& spans, SSpanEntry* crossings, int count, int least);
// Completes the crossings and appends them, then sorts the whole list by t (equal t keep their
// order). Answers whether any were added.
bool AppendSorted(C3dObject& object, CSpanList& spans, SSpanEntry* crossings, int count);

// Sorts the list's entries from first on by t, ascending, and drops an entry at the same t as the one
// before it: a ray through the edge two facets share crosses the surface once.
void SortFacetSpans(CSpanList& spans, size_t first);

// A point of the unit sphere at the polar angle from +y and the azimuth from +z towards +x.
vector3<double> UnitSpherePoint(double polar, double azimuth);

// World boxes around each shape's sample points taken through the object-to-world matrix.
C3dBox SampledWorldBox(const C34Matrix& toWorld, const vector3<double>* points, int count);
C3dBox SphereWorldBox(const C34Matrix& toWorld);
C3dBox PyramidWorldBox(const C34Matrix& toWorld);
C3dBox ConeWorldBox(const C34Matrix& toWorld);
C3dBox CylinderWorldBox(const C34Matrix& toWorld);
// The rim of the unit disk every 15 degrees.
C3dBox DiskWorldBox(const C34Matrix& toWorld);
// 24 × 24 points of the tube's surface.
C3dBox TorusWorldBox(const C34Matrix& toWorld, const STorus& torus);
