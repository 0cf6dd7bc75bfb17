#include "tests/plugins/recording_host.h"

#include <cstring>

namespace {

constexpr uint32_t kTriangleMeshClass = ('t' << 24) | ('m' << 16) | ('s' << 8) | 'h';
constexpr int32_t kObjectNotFound = 6;
constexpr int32_t kNoDocument = 7;
constexpr int32_t kNoMesh = 8;
constexpr int32_t kFixedAnswer = 20;

CRecordingHost* gHost = nullptr;

}  // namespace

// The callback table's functions; each reaches the active host.
struct SHostSlots {
  static uint32_t GetDocument() {
    gHost->Record({QN_SLOT_GET_DOCUMENT, 0, 0, 0, 0, {}});
    int32_t answer = 0;
    if (gHost->Knob(QN_SLOT_GET_DOCUMENT, &answer)) return uint32_t(answer);
    return CRecordingHost::kDocument;
  }

  static int32_t FixedAnswer() { return kFixedAnswer; }

  static int32_t Progress(const char* text, int32_t done, int32_t total) {
    gHost->Record({QN_SLOT_PROGRESS, 0, 0, done, total, text ? text : ""});
    int32_t answer = 0;
    if (!gHost->Knob(QN_SLOT_PROGRESS, &answer, text ? text : "") && gHost->fProgressWatch)
      answer = gHost->fProgressWatch(text, done, total);
    return answer;
  }

  static int32_t CreateObject(uint32_t document, uint32_t classCode, uint32_t* object) {
    gHost->Record({QN_SLOT_CREATE_OBJECT, document, 0, int32_t(classCode), 0, {}});
    int32_t answer = 0;
    if (gHost->Knob(QN_SLOT_CREATE_OBJECT, &answer)) return answer;
    if (document != CRecordingHost::kDocument) return kNoDocument;
    if (classCode != kTriangleMeshClass) return kObjectNotFound;
    SRecordedMesh mesh;
    mesh.handle = uint32_t(gHost->fMeshes.size() + 1);
    gHost->fMeshes.push_back(mesh);
    *object = mesh.handle;
    return 0;
  }

  // The checks of every slot that acts on a mesh: the knob's answer, 7 or 8; else 0 and the mesh.
  static int32_t Check(int32_t slot, uint32_t document, uint32_t object, SRecordedMesh** mesh) {
    int32_t answer = 0;
    if (gHost->Knob(slot, &answer)) return answer;
    if (document != CRecordingHost::kDocument) return kNoDocument;
    *mesh = gHost->LiveMesh(object);
    return *mesh ? 0 : kNoMesh;
  }

  static int32_t DeleteObject(uint32_t document, uint32_t object) {
    gHost->Record({QN_SLOT_DELETE_OBJECT, document, object, 0, 0, {}});
    SRecordedMesh* mesh = nullptr;
    const int32_t answer = Check(QN_SLOT_DELETE_OBJECT, document, object, &mesh);
    if (!answer) mesh->deleted = true;
    return answer;
  }

  static int32_t SetMaterialProperty(uint32_t document, uint32_t object, int32_t id, int32_t value) {
    gHost->Record({QN_SLOT_SET_MATERIAL_PROPERTY, document, object, id, value, {}});
    SRecordedMesh* mesh = nullptr;
    const int32_t answer = Check(QN_SLOT_SET_MATERIAL_PROPERTY, document, object, &mesh);
    if (!answer) mesh->properties.emplace_back(id, value);
    return answer;
  }

  static int32_t DocumentSlot(int32_t slot, uint32_t document) {
    gHost->Record({slot, document, 0, 0, 0, {}});
    int32_t answer = 0;
    if (gHost->Knob(slot, &answer)) return answer;
    return document == CRecordingHost::kDocument ? 0 : kNoDocument;
  }
  static int32_t BeginImport(uint32_t document) { return DocumentSlot(QN_SLOT_BEGIN_IMPORT, document); }
  static int32_t EndImport(uint32_t document) { return DocumentSlot(QN_SLOT_END_IMPORT, document); }

  static int32_t FinishObject(uint32_t document, uint32_t object) {
    gHost->Record({QN_SLOT_FINISH_OBJECT, document, object, 0, 0, {}});
    SRecordedMesh* mesh = nullptr;
    const int32_t answer = Check(QN_SLOT_FINISH_OBJECT, document, object, &mesh);
    if (!answer) mesh->finished = true;
    return answer;
  }

  static int32_t AddTriangle(uint32_t document, uint32_t object, const float* a, const float* b, const float* c) {
    gHost->Record({QN_SLOT_ADD_TRIANGLE, document, object, 0, 0, {}});
    SRecordedMesh* mesh = nullptr;
    const int32_t answer = Check(QN_SLOT_ADD_TRIANGLE, document, object, &mesh);
    if (!answer && gHost->fKeepTriangles)
      mesh->triangles.push_back({a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2]});
    return answer;
  }

  static int32_t ObjectCount(uint32_t, int32_t*) { return 0; }
  static int32_t FindObject(uint32_t, int32_t, uint32_t*) { return 0; }
  static int32_t GetObject(uint32_t, int32_t, uint32_t*) { return 0; }
  static int32_t MeshData(uint32_t, uint32_t, int32_t, const void*, const void*, const void*) { return 0; }
  static int32_t AnswerZero(...) { return 0; }
};

namespace {

template <typename Slot>
QNHostFn AsSlot(Slot function) {
  return reinterpret_cast<QNHostFn>(function);
}

}  // namespace

CRecordingHost::CRecordingHost() : fPrevious(gHost) {
  gHost = this;
  for (int32_t slot = 0; slot < QN_SLOT_COUNT; ++slot) fTable[slot] = AsSlot<QNHostAnyFn>(&SHostSlots::AnswerZero);
  fTable[QN_SLOT_EMPTY] = nullptr;
  for (int32_t slot = QN_SLOT_FIRST_UNUSED; slot < QN_SLOT_COUNT; ++slot) fTable[slot] = nullptr;
  fTable[QN_SLOT_GET_DOCUMENT] = AsSlot<QNHostGetDocumentFn>(&SHostSlots::GetDocument);
  fTable[QN_SLOT_FIXED_ANSWER] = AsSlot<QNHostFixedAnswerFn>(&SHostSlots::FixedAnswer);
  fTable[QN_SLOT_PROGRESS] = AsSlot<QNHostProgressFn>(&SHostSlots::Progress);
  fTable[QN_SLOT_GET_OBJECT_COUNT] = AsSlot<QNHostGetObjectCountFn>(&SHostSlots::ObjectCount);
  fTable[QN_SLOT_FIND_OBJECT] = AsSlot<QNHostFindObjectFn>(&SHostSlots::FindObject);
  fTable[QN_SLOT_GET_OBJECT] = AsSlot<QNHostGetObjectFn>(&SHostSlots::GetObject);
  fTable[QN_SLOT_CREATE_OBJECT] = AsSlot<QNHostCreateObjectFn>(&SHostSlots::CreateObject);
  fTable[QN_SLOT_DELETE_OBJECT] = AsSlot<QNHostObjectFn>(&SHostSlots::DeleteObject);
  fTable[QN_SLOT_SET_MATERIAL_PROPERTY] = AsSlot<QNHostSetMaterialPropertyFn>(&SHostSlots::SetMaterialProperty);
  fTable[QN_SLOT_BEGIN_IMPORT] = AsSlot<QNHostDocumentFn>(&SHostSlots::BeginImport);
  fTable[QN_SLOT_END_IMPORT] = AsSlot<QNHostDocumentFn>(&SHostSlots::EndImport);
  fTable[QN_SLOT_FINISH_OBJECT] = AsSlot<QNHostObjectFn>(&SHostSlots::FinishObject);
  fTable[QN_SLOT_ADD_TRIANGLE] = AsSlot<QNHostAddTriangleFn>(&SHostSlots::AddTriangle);
  fTable[QN_SLOT_MESH_DATA] = AsSlot<QNHostMeshDataFn>(&SHostSlots::MeshData);
}

CRecordingHost::~CRecordingHost() {
  Unload();
  gHost = fPrevious;
}

bool CRecordingHost::Load(const std::string& path) {
  Unload();
  fLibrary = platform::LoadLibrary(path);
  if (!fLibrary) return false;
  fEntry = reinterpret_cast<QNPluginEntry>(platform::FindLibraryEntry(fLibrary, QN_IO_ENTRY_NAME));
  return fEntry != nullptr;
}

void CRecordingHost::Unload() {
  if (fLibrary) platform::FreeLibrary(fLibrary);
  fLibrary = nullptr;
  fEntry = nullptr;
}

int32_t CRecordingHost::Call(uint32_t selector, void* block) {
  CRecordingHost* active = gHost;
  gHost = this;
  const int32_t answer = fEntry(selector, fTable, block);
  gHost = active;
  return answer;
}

namespace {

QNPluginParams BlockWithPath(const std::string& path) {
  QNPluginParams params;
  std::memset(&params, 0, sizeof params);
  std::strncpy(params.text, path.c_str(), sizeof params.text - 1);
  return params;
}

}  // namespace

int32_t CRecordingHost::Import(const std::string& path) {
  QNPluginParams params = BlockWithPath(path);
  return Call(QN_SELECTOR_IMPORT, &params);
}

int32_t CRecordingHost::Probe(const std::string& path) {
  QNPluginParams params = BlockWithPath(path);
  return Call(QN_SELECTOR_PROBE, &params);
}

void CRecordingHost::AnswerAt(int32_t slot, uint32_t n, int32_t answer) { fKnobs.push_back({slot, n, answer, {}, 0}); }

void CRecordingHost::CancelAtProgress(uint32_t n, const std::string& text) {
  fKnobs.push_back({QN_SLOT_PROGRESS, n, kCancel, text, 0});
}

void CRecordingHost::SetRecording(bool keepCalls, bool keepTriangles) {
  fKeepCalls = keepCalls;
  fKeepTriangles = keepTriangles;
}

void CRecordingHost::Reset() {
  fKnobs.clear();
  fCounts = {};
  fCalls.clear();
  fMeshes.clear();
}

bool CRecordingHost::Knob(int32_t slot, int32_t* answer, const char* text) {
  bool named = false;
  for (SKnob& knob : fKnobs) {
    if (knob.slot != slot || (!knob.text.empty() && knob.text != text)) continue;
    if (++knob.seen == knob.n && !named) {
      *answer = knob.answer;
      named = true;
    }
  }
  return named;
}

void CRecordingHost::Record(SHostCall call) {
  ++fCounts[size_t(call.slot)];
  if (fKeepCalls) fCalls.push_back(std::move(call));
}

SRecordedMesh* CRecordingHost::LiveMesh(uint32_t handle) {
  if (handle == 0 || handle > fMeshes.size() || fMeshes[handle - 1].deleted) return nullptr;
  return &fMeshes[handle - 1];
}

std::vector<int32_t> CRecordingHost::SlotsWithoutProgress() const {
  std::vector<int32_t> slots;
  for (const SHostCall& call : fCalls)
    if (call.slot != QN_SLOT_PROGRESS) slots.push_back(call.slot);
  return slots;
}

std::vector<SHostCall> CRecordingHost::CallsOf(int32_t slot) const {
  std::vector<SHostCall> calls;
  for (const SHostCall& call : fCalls)
    if (call.slot == slot) calls.push_back(call);
  return calls;
}

size_t CRecordingHost::LiveMeshes() const {
  size_t live = 0;
  for (const SRecordedMesh& mesh : fMeshes) live += !mesh.deleted;
  return live;
}

std::vector<std::array<float, 9>> CRecordingHost::AllTriangles() const {
  std::vector<std::array<float, 9>> all;
  for (const SRecordedMesh& mesh : fMeshes)
    if (!mesh.deleted) all.insert(all.end(), mesh.triangles.begin(), mesh.triangles.end());
  return all;
}
