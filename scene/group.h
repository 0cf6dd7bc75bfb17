// Groups: members the editor moves, rotates, resizes, copies and selects together, with a box 1%
// larger than theirs. Members stay in the object table and are rendered one by one, so a rendering
// ray never hits a group; a picking ray hits its box. A group whose members are closed solids with
// boolean roles is a boolean group, which resolves rays for its members (boolean_resolver.h).
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/object.h"

class CBooleanResolver;

// What a group's transform delta does to each member.
struct STransformDelta {
  vector3<double> scale{1, 1, 1};  // a factor of 0 counts as 1
  vector3<double> rotation;
  vector3<double> position;
};

class C3dGroup : public C3dObject {
 public:
  static constexpr uint32_t kFamily = FourCC("3dob");
  static constexpr uint32_t kClassTag = FourCC("grou");
  static constexpr const char* kTypeName = "C3dGroupType";
  // The group part of the record, offsets from the record's start.
  static constexpr uint32_t kBoxOffset = 748;
  static constexpr uint32_t kNumberOffset = 796;
  static constexpr uint32_t kRelinkedOffset = 800;
  static constexpr uint32_t kByteOrderOffset = 801;  // 1 while the record is big-endian
  static constexpr uint32_t kCountOffset = 804;
  static constexpr uint32_t kMembersOffset = 808;
  static constexpr uint32_t kMemberBytes = 12;  // family, class, id
  static constexpr int32_t kMemberStep = 2;

  explicit C3dGroup(const SObjectKey& key);
  ~C3dGroup() override;

  // The light and mesh form of the factory: no material.
  static int32_t New(C3dGroup** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec);

  bool IsReady() const override;
  const char* TypeName() const override { return kTypeName; }

  uint32_t GetMemberCount() const { return fMembers.GetCount(); }
  C3dObject* GetMember(uint32_t index) const { return fMembers[index]; }
  const C3dBox& GetBox() const { return fBox; }
  uint32_t GetGroupNumber() const { return fGroupNumber; }
  // A new group's number and box, which the grouping command gives it.
  void SetGroupNumber(uint32_t number) { fGroupNumber = number; }
  void SetBox(const C3dBox& box) { fBox = box; }
  bool IsRelinked() const { return fRelinked; }
  uint32_t GetSelectedCount() const { return fSelectedCount; }

  // Appends the member, makes this group its parent and grows the box by its world box. 9 when the
  // list cannot grow.
  int32_t AddChild(C3dObject* object);
  // Removes the member and recomputes the box; nothing happens for an object that is no member.
  int32_t RemoveChild(C3dObject* object);
  // Drops a member that is going away, leaving the box as it is.
  void ForgetMember(C3dObject* object);
  // The members a document names, in order, each with this group as parent; the box stays as it was
  // read. 9 when the list cannot grow (the group then has none).
  int32_t RelinkMembers(C3dObject* const* members, uint32_t count);
  // The members' world boxes (member groups recomputed first), grown by 1% of the extent per axis.
  // Without members the box stays as it is.
  void ComputeBounds();
  // 1 + the highest group number of the table's groups; 0 when the table cannot be locked.
  static uint32_t NextGroupNumber(C3dBaseSys* table);

  // Flag B 4 is set while at least one member is selected.
  void SelectedChildAdded();
  void SelectedChildRemoved();

  // Saves each member's scale, rotation and position into its previous values, then scales,
  // turns and moves it (member groups pass it on); offsets are scaled too with scalePositions.
  void ApplyTransformDelta(const STransformDelta& delta, bool scalePositions);
  // Each member's size and its offset from the centre of the group's world box multiplied by the
  // factor of its axis (sizes kept within 0.01 to 9999), member groups passing it on; then the box
  // is recomputed. Nothing when the group is transform-locked or has no box.
  void ScaleChildren(const vector3<double>& factors);
  // Moves the members so that the world box's centre comes to the point.
  void MoveCentreTo(const vector3<double>& point);

  // After a document is read: parent links and boolean flags from the member lists. 0, or the
  // table's error when it cannot be locked.
  static int32_t RelinkGroups(C3dBaseSys* table);
  // For the earlier document format: member lists from the object-number chains, inner groups
  // first. 0; the table's error; 9 when a list cannot grow; 2 when groups wait on each other or
  // two chains reach one object.
  static int32_t RelinkFromIds(C3dBaseSys* table);
  // A rendering ray that reaches a boolean member: the outermost boolean group resolves it.
  static bool IntersectInBooleanGroup(CRay& ray, C3dObject* member);

  void NotifyParentBoundsChanged() override;
  void Translate(const vector3<double>& offset) override;
  void RotateAboutPoint(const vector3<double>& pivot, const SQuaternion& rotation) override;
  void ScaleAlongAxis(const vector3<double>& point, const SAxisScale& scale) override;
  void SnapToGrid(const vector3<double>& grid) override;
  void ResetRotationAndSize() override;
  void ResetPosition() override;
  void ResetRotation() override;
  void ResetSize() override;
  C3dObject* Duplicate(C3dBaseSys* table) override;
  // The placed object's copy, then a duplicate of every member in the target's table.
  int32_t CopyTo(C3dObject& target) override;
  int32_t Prepare() override { return 0; }
  bool Intersect(CRay& ray) override;
  bool IntersectSpans(CRay& ray, bool farSide, CSpanList& spans) override;
  bool IsRayInside(const CRay&) override { return false; }
  bool IsClosed() const override { return true; }
  bool IsClosedSolid() const override { return true; }
  bool IsUnbounded() const override { return false; }
  uint32_t FacetCount() override;
  C3dBox LocalBox() override { return fBox; }
  C3dBox WorldBox() override;
  bool DrawWireframe(CLineDrawer* view, const C34Matrix& viewMatrix, uint32_t detail, bool reduced) override;
  // Rotation, size and position applied to the members about the centre of the group's world box.
  void SetPlacement(const vector3<double>& rotation, const vector3<double>& size,
                    const vector3<double>& position) override;

  bool SaveState() override;
  void RestoreState() override;
  bool SwapRecord(uint8_t* record, uint32_t size) override;
  bool IsInStoredOrder(const uint8_t* record, uint32_t size) const override;

 private:
  // Applies an edit to every member and recomputes the box, unless the group is transform-locked.
  template <typename Edit>
  void EditMembers(Edit edit);
  void ClearMembers();
  // The members on the group's chain of the earlier format; waits while the chain holds a group not
  // yet relinked.
  // 2 when it reaches a member that another group has taken.
  int32_t TakeChain(C3dBaseSys* table, const CDynTable<C3dObject*>& taken, CDynTable<C3dObject*>& chain,
                    bool& waits);
  void ScaleMembersAbout(const vector3<double>& centre, const vector3<double>& ratio);

  CDynTable<C3dObject*> fMembers;
  C3dBox fBox = C3dBox::Empty();
  uint32_t fGroupNumber = 0;
  uint8_t fRelinked = 0;
  uint32_t fSelectedCount = 0;
};

// Deletes a copy that Duplicate made: a group's member copies first, each with its material, then
// the copy with its own.
void DeleteCopy(C3dObject* copy);
