// The plain-text scene description that quarn2-scene turns into a document: one statement a line,
// read into a scene table through the program's own factories, the render size into the document
// settings. The syntax and what each statement writes are in tools/README.md.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "framework/core/vector3.h"

class C3dBaseSys;
class C3dObject;
class CDocSettings;
class CSpoolSys;
class CStatement;

class CSceneScript {
 public:
  // Things are made in the table and live in the environment; the settings take the render size.
  CSceneScript(C3dBaseSys* table, CDocSettings* settings, CSpoolSys* environment);

  // Reads the description; files it names are found relative to its folder. An empty answer, or
  // "PATH:LINE: what was wrong" for the first line that cannot be read ("PATH: what was wrong" when
  // the file itself cannot be).
  std::string Read(const std::string& path);
  // The same for a description already read from path (whose folder names the files).
  std::string ReadText(const std::string& path, const std::string& whole);
  // The thing made under the name, or none.
  C3dObject* Find(const std::string& name) const;
  // The description and the pictures it named, as far as it was read.
  const std::vector<std::string>& FilesRead() const { return fFilesRead; }

 private:
  struct SPlacement;

  // Each answers an empty text or what was wrong with the statement.
  std::string ReadStatement(CStatement& statement);
  std::string ReadSize(CStatement& statement);
  std::string ReadCamera(CStatement& statement);
  std::string ReadSun(CStatement& statement);
  std::string ReadSky(CStatement& statement);
  std::string ReadShape(CStatement& statement);
  std::string ReadLight(CStatement& statement);
  std::string ReadGroup(CStatement& statement);
  // The things a description may leave out.
  std::string MakeDefaults();

  std::string TakeName(CStatement& statement, std::string* name);
  std::string MakeCamera(const vector3<double>& from, const vector3<double>& to, double fieldAngle);
  void Name(C3dObject* object, const std::string& name);
  static std::string Place(C3dObject* object, const SPlacement& placement);

  C3dBaseSys* fTable;
  CDocSettings* fSettings;
  CSpoolSys* fEnvironment;
  std::string fFolder;
  std::map<std::string, C3dObject*> fNamed;
  std::vector<std::string> fFilesRead;
  bool fHasSize = false;
  bool fHasCamera = false;
  bool fHasSun = false;
  bool fHasSky = false;
};
