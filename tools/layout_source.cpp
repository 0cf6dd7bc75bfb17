#include "tools/layout_source.h"

#include <cerrno>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "framework/core/c_string.h"
#include "framework/core/resource_env.h"
#include "framework/image/image.h"
#include "framework/ui/co_element.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_canvas.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_canvas.h"
#include "framework/ui/im_element.h"
#include "framework/ui/rm_element.h"
#include "framework/ui/text_style.h"
#include "framework/ui/tx_element.h"
#include "platform/ansi_text.h"
#include "tools/command_line.h"
#include "tools/png_picture.h"
#include "tools/res_compiler.h"
#include "tools/record_store.h"

namespace {

constexpr uint32_t kFirstNumber = 1000;
constexpr size_t kNameChars = 31;
constexpr uint32_t kCallbackCount = 7;
constexpr uint32_t kRoutineCount = 4;
constexpr uint32_t kRootLayout = kLayoutSizeH | kLayoutSizeV | kLayoutPositionH | kLayoutPositionV;
constexpr uint32_t kRootEvents = CElement::kDefaultEventMask | CHoElement::kRootEvents;
constexpr uint32_t kDefaultRemoteOptions =
    CRmElement::kBuildChildrenOnOpen | CRmElement::kShowOnOpen | CRmElement::kHideOnClose;

// ---- statements

// One line of the source: its words (a block's "{" taken off), the line as written without its
// comment, and the statements of the block it opens.
struct SStatement {
  uint32_t line = 0;
  std::string text;
  std::vector<std::string> words;
  bool opensBlock = false;
  std::vector<SStatement> block;
};

std::string At(uint32_t line, const std::string& reason) { return std::to_string(line) + ": " + reason; }

// The line without its comment: "#" outside a quoted text.
std::string WithoutComment(const std::string& raw) {
  bool quoted = false;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (quoted && raw[i] == '\\') ++i;
    else if (raw[i] == '"') quoted = !quoted;
    else if (!quoted && raw[i] == '#') return raw.substr(0, i);
  }
  return raw;
}

struct SRawLine {
  uint32_t number;
  std::string text;
};

// The statements up to the end or up to the "}" that closes the block opened on line `opened`.
bool ReadBlock(const std::vector<SRawLine>& lines, size_t* at, uint32_t opened, std::vector<SStatement>* out,
               std::string* error) {
  while (*at < lines.size()) {
    const SRawLine& raw = lines[(*at)++];
    SStatement statement;
    statement.line = raw.number;
    statement.text = raw.text;
    std::string reason;
    if (!SplitSourceLine(raw.text, &statement.words, &reason)) {
      *error = At(raw.number, reason);
      return false;
    }
    if (statement.words.size() == 1 && statement.words[0] == "}") {
      if (opened) return true;
      *error = At(raw.number, "\"}\" closes no block");
      return false;
    }
    if (statement.words.back() == "{") {
      statement.words.pop_back();
      statement.opensBlock = true;
      if (statement.words.empty()) {
        *error = At(raw.number, "a block needs a statement before its \"{\"");
        return false;
      }
      if (!ReadBlock(lines, at, raw.number, &statement.block, error)) return false;
    }
    out->push_back(std::move(statement));
  }
  if (!opened) return true;
  *error = At(opened, "the block opened here is not closed");
  return false;
}

bool ReadStatements(const std::string& text, std::vector<SStatement>* out, std::string* error) {
  std::vector<SRawLine> lines;
  std::istringstream in(text);
  std::string raw;
  for (uint32_t number = 1; std::getline(in, raw); ++number) {
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    std::string line = WithoutComment(raw);
    const size_t first = line.find_first_not_of(" \t"), last = line.find_last_not_of(" \t");
    if (first == std::string::npos) continue;
    lines.push_back({number, line.substr(first, last - first + 1)});
  }
  size_t at = 0;
  return ReadBlock(lines, &at, 0, out, error);
}

// ---- the records a file makes

// A record's source in the syntax of its kind, with the layout line each of its lines came from.
struct SRecordSource {
  std::string text;
  std::vector<uint32_t> lines;

  void Add(uint32_t line, const std::string& words) {
    text += words + "\n";
    lines.push_back(line);
  }
  bool IsEmpty() const { return lines.empty(); }
};

struct SRecord {
  std::string kind;
  uint32_t number = 0;
  std::string name;
  uint32_t line = 0;  // where it was written
  SRecordSource source;
};

struct SPicture {
  uint32_t number = 0;
  std::string name;
  SPngPicture pixels;
  int32_t hotH = 0;
  int32_t hotV = 0;
};

enum class EKind { kElem, kCoel, kImel, kTxel, kRmel, kRsel };

// What a property handler made of a line: another handler's word, taken, or refused (with the error).
enum class EHandled { kNotMine, kDone, kFailed };

EHandled Handled(bool done) { return done ? EHandled::kDone : EHandled::kFailed; }

bool KindOf(const std::string& word, EKind* kind) {
  static const std::map<std::string, EKind> kKinds = {
      {"elem", EKind::kElem}, {"coel", EKind::kCoel}, {"imel", EKind::kImel},
      {"txel", EKind::kTxel}, {"rmel", EKind::kRmel}, {"rsel", EKind::kRsel}};
  const auto it = kKinds.find(word);
  if (it == kKinds.end()) return false;
  *kind = it->second;
  return true;
}

std::string Joined(const std::vector<std::string>& words, size_t first, size_t count) {
  std::string out;
  for (size_t i = first; i < first + count && i < words.size(); ++i) out += (out.empty() ? "" : " ") + words[i];
  return out;
}

// What one element's block makes: its records' sources and the flags of each.
struct SElementOut {
  SRecordSource elem, coel, imel, txel, rmel, rsel;
  uint32_t elemFlags = 0, coelFlags = 0, imelFlags = 0, txelFlags = 0, rmelOptions = 0;
  bool hasRect = false, hasLayout = false, hasEvents = false, hasCanvas = false, hasOptions = false;
  uint32_t routineList = 0;
};

class CLayoutCompiler {
 public:
  CLayoutCompiler(std::string fileName, std::string folder) : fFile(std::move(fileName)), fFolder(std::move(folder)) {}

  bool Compile(const std::string& text) {
    std::vector<SStatement> statements;
    std::string reason;
    if (!ReadStatements(text, &statements, &reason)) return Fail(reason);
    for (const SStatement& s : statements) {
      if (!TopLevel(s)) return false;
    }
    return true;
  }

  bool Store(CResourceEnv& env) {
    for (const SPicture& p : fPictures) {
      if (const int32_t err = StorePicture(env, Key(kImageType, p.number, p.name), p.pixels.width, p.pixels.height,
                                           p.pixels.pixels, p.hotH, p.hotV))
        return Fail(fFile + ": picture " + p.name + ": " + ResultWords(err), false);
    }
    for (const SRecord& r : fRecords) {
      std::vector<uint8_t> bytes;
      std::string reason;
      if (!CompileSource(r.kind, r.source.text, &bytes, &reason)) return FailIn(r, reason);
      if (const int32_t err = StoreCompiled(env, Key(r.kind, r.number, r.name), r.kind, bytes))
        return FailAt(r.line, r.kind + " " + std::to_string(r.number) + ": " + ResultWords(err));
    }
    return true;
  }

  const std::string& Error() const { return fError; }

 private:
  static SSpoolKey Key(const std::string& type, uint32_t number, const std::string& name) {
    SSpoolKey key;
    key.Set(type.c_str(), number, false);
    CopyCString(key.name, name.c_str(), sizeof key.name);
    return key;
  }

  // ---- errors
  bool Fail(const std::string& lineAndReason, bool withFile = true) {
    fError = withFile ? fFile + ":" + lineAndReason : lineAndReason;
    return false;
  }
  bool FailAt(uint32_t line, const std::string& reason) { return Fail(At(line, reason)); }
  // A record compiler's "N: reason" about line N of the source made for it.
  bool FailIn(const SRecord& record, const std::string& reason) {
    const size_t colon = reason.find(": ");
    const uint32_t n = colon == std::string::npos ? 0 : uint32_t(std::strtoul(reason.c_str(), nullptr, 10));
    if (n >= 1 && n <= record.source.lines.size()) return FailAt(record.source.lines[n - 1], reason.substr(colon + 2));
    return FailAt(record.line, reason);
  }

  // ---- names and numbers
  bool ReadName(const SStatement& s, size_t index, const char* what, std::string* name) {
    if (index >= s.words.size()) return FailAt(s.line, std::string(what) + " needs a name");
    const std::string& token = s.words[index];
    std::string reason;
    if (token.front() == '"') {
      if (!ReadQuotedText(token, name, &reason)) return FailAt(s.line, reason);
    } else {
      bool exact = true;
      *name = platform::Utf8ToAnsi(token, &exact);
      if (!exact) return FailAt(s.line, "the name holds a character outside Windows-1252");
    }
    if (name->empty()) return FailAt(s.line, std::string(what) + " needs a name");
    if (name->size() > kNameChars) return FailAt(s.line, "the name " + token + " is over 31 characters");
    return true;
  }
  // A resource's name, once a type in the file.
  bool ClaimName(const SStatement& s, const std::string& type, const std::string& name) {
    if (fNames.insert({type, name}).second) return true;
    return FailAt(s.line, "a " + type + " named " + QuotedText(name) + " is written twice");
  }
  bool ClaimNumber(const SStatement& s, const std::string& type, uint32_t number) {
    if (number >= kFirstNumber) return FailAt(s.line, "a number given must be below " + std::to_string(kFirstNumber));
    if (fNumbers.insert({type, number}).second) return true;
    return FailAt(s.line, "'" + type + "' number " + std::to_string(number) + " is given twice");
  }
  uint32_t Next() { return fNext++; }

  static bool ReadInteger(const std::string& token, int64_t least, int64_t most, int64_t* value) {
    if (token.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(token.c_str(), &end, 0);
    if (*end != 0 || errno == ERANGE || v < least || v > most) return false;
    *value = v;
    return true;
  }

  // The words of s from index on, each either a flag word or an option with its values: options
  // names an option's value count, and take(word, values) answers false with the reason set.
  template <typename F>
  bool ReadOptions(const SStatement& s, size_t index, const std::map<std::string, size_t>& options, F take) {
    while (index < s.words.size()) {
      const std::string& word = s.words[index];
      const auto it = options.find(word);
      if (it == options.end()) return FailAt(s.line, "unexpected " + word);
      if (index + it->second >= s.words.size())
        return FailAt(s.line, word + " needs " + std::to_string(it->second) + (it->second == 1 ? " value" : " values"));
      const std::vector<std::string> values(s.words.begin() + long(index) + 1,
                                            s.words.begin() + long(index) + 1 + long(it->second));
      if (!take(word, values)) return false;
      index += 1 + it->second;
    }
    return true;
  }

  // Option words without values from index on, each adding its bit to *flags.
  bool FlagWords(const SStatement& s, size_t index, const std::map<std::string, uint32_t>& bits, uint32_t* flags) {
    std::map<std::string, size_t> options;
    for (const auto& [word, bit] : bits) options[word] = 0;
    return ReadOptions(s, index, options, [&](const std::string& w, const auto&) {
      *flags |= bits.at(w);
      return true;
    });
  }

  // The value of a "number" option: the record's number, claimed for its kind.
  bool TakeNumber(const SStatement& s, const std::string& kind, const std::string& value, uint32_t* number,
                  bool* numbered) {
    int64_t n = 0;
    if (!ReadInteger(value, 0, UINT32_MAX, &n)) return FailAt(s.line, "expected a number, found " + value);
    *number = uint32_t(n);
    *numbered = true;
    return ClaimNumber(s, kind, *number);
  }

  bool NoBlock(const SStatement& s) {
    return !s.opensBlock || FailAt(s.line, s.words[0] + " opens no block");
  }
  bool Count(const SStatement& s, size_t least, size_t most) {
    const size_t values = s.words.size() - 1;
    if (values >= least && values <= most) return true;
    return FailAt(s.line, s.words[0] + " takes " +
                              (least == most ? std::to_string(least) : std::to_string(least) + " to " + std::to_string(most)) +
                              (most == 1 ? " value" : " values"));
  }

  // ---- the file's top level
  bool TopLevel(const SStatement& s) {
    const std::string& word = s.words[0];
    if (word == "picture") return NoBlock(s) && Picture(s);
    if (word == "texts") return List(s, "ixtx");
    if (word == "colours") return List(s, "ixco");
    if (word == "images") return List(s, "ixim");
    if (word == "canvas") return Canvas(s);
    if (word == "style") return Style(s);
    return FailAt(s.line, "unknown word " + word);
  }

  bool Picture(const SStatement& s) {
    SPicture picture;
    if (!ReadName(s, 1, "a picture", &picture.name) || !ClaimName(s, kImageType, picture.name)) return false;
    if (s.words.size() < 3) return FailAt(s.line, "a picture needs its PNG file");
    std::string file = s.words[2], reason;
    if (file.front() == '"' && !ReadQuotedText(s.words[2], &file, &reason)) return FailAt(s.line, reason);
    bool numbered = false;
    const bool read = ReadOptions(s, 3, {{"number", 1}, {"hotspot", 2}}, [&](const std::string& w, const auto& v) {
      if (w == "number") return TakeNumber(s, kImageType, v[0], &picture.number, &numbered);
      int64_t a = 0, b = 0;
      if (!ReadInteger(v[0], INT32_MIN, INT32_MAX, &a) || !ReadInteger(v[1], INT32_MIN, INT32_MAX, &b))
        return FailAt(s.line, "expected hotspot X Y");
      picture.hotH = int32_t(a);
      picture.hotV = int32_t(b);
      return true;
    });
    if (!read) return false;
    if (!numbered) picture.number = Next();
    const std::string path = file.front() == '/' ? file : fFolder + "/" + file;
    if (!ReadPngPicture(path, &picture.pixels, &reason)) return FailAt(s.line, file + " " + reason);
    fPictures.push_back(std::move(picture));
    return true;
  }

  bool List(const SStatement& s, const std::string& kind) {
    SRecord record;
    record.kind = kind;
    record.line = s.line;
    if (!ReadName(s, 1, "a list", &record.name) || !ClaimName(s, kind, record.name)) return false;
    if (!s.opensBlock) return FailAt(s.line, "a list's entries go in a block");
    bool numbered = false;
    const bool read = ReadOptions(s, 2, {{"number", 1}}, [&](const std::string&, const auto& v) {
      return TakeNumber(s, kind, v[0], &record.number, &numbered);
    });
    if (!read) return false;
    if (!numbered) record.number = Next();
    for (const SStatement& entry : s.block) {
      if (entry.opensBlock) return FailAt(entry.line, "a list's entry opens no block");
      record.source.Add(entry.line, entry.text);
    }
    fRecords.push_back(std::move(record));
    return true;
  }

  // ---- canvases
  bool Canvas(const SStatement& s) {
    std::string name;
    if (!ReadName(s, 1, "a canvas", &name) || !ClaimName(s, CCanvas::kRecordType, name)) return false;
    if (!s.opensBlock || s.words.size() != 2) return FailAt(s.line, "expected canvas NAME {");
    const uint32_t number = Next();
    SRecord canv{"canv", number, name, s.line, {}}, imca{"imca", number, name, s.line, {}},
        hoca{"hoca", number, name, s.line, {}};
    uint32_t options = 0, imageFlags = 0, hocaFlags = 0;
    bool root = false, framed = false;
    for (const SStatement& p : s.block) {
      const std::string& word = p.words[0];
      if (p.opensBlock) {
        EKind kind;
        if (!KindOf(word, &kind)) return FailAt(p.line, "unknown word " + word);
        if (kind != EKind::kElem) return FailAt(p.line, "a canvas's root is an elem");
        if (root) return FailAt(p.line, "a canvas has one root");
        root = true;
        uint32_t rootNumber = 0;
        if (!Element(p, kind, name, true, &rootNumber)) return false;
        hoca.source.Add(p.line, "element " + std::to_string(rootNumber));
        hocaFlags |= CHoCanvas::kHasTree;
      } else if (word == "frame") {
        if (!Count(p, 4, 4)) return false;
        canv.source.Add(p.line, p.text);
        framed = true;
      } else if (word == "place") {
        if (p.words.size() < 2) return FailAt(p.line, "place needs its flags");
        canv.source.Add(p.line, "flags " + p.words[1]);
        if (!ReadOptions(p, 2, {{"position", 2}, {"size", 2}}, [&](const std::string& w, const auto& v) {
              canv.source.Add(p.line, w + " " + Joined(v, 0, 2));
              return true;
            }))
          return false;
      } else if (word == "colour") {
        if (!Count(p, 1, 1)) return false;
        canv.source.Add(p.line, p.text);
        options |= CCanvas::kApplyColor;
      } else if (word == "show") {
        if (!Count(p, 0, 0)) return false;
        options |= CCanvas::kShowAfterPlacing;
      } else if (word == "backdrop") {
        if (!Backdrop(p, &imca, &imageFlags)) return false;
      } else if (word == "layers") {
        if (!Count(p, 1, 1)) return false;
        hoca.source.Add(p.line, p.text);
      } else {
        return FailAt(p.line, "unknown word " + word);
      }
    }
    if (!framed) return FailAt(s.line, "a canvas needs its frame");
    canv.source.Add(s.line, "options " + std::to_string(options));
    imca.source.Add(s.line, "flags " + std::to_string(imageFlags));
    hoca.source.Add(s.line, "flags " + std::to_string(hocaFlags));
    fRecords.push_back(std::move(canv));
    fRecords.push_back(std::move(imca));
    fRecords.push_back(std::move(hoca));
    return true;
  }

  bool Backdrop(const SStatement& p, SRecord* imca, uint32_t* flags) {
    std::string picture;
    if (!ReadName(p, 1, "a backdrop", &picture)) return false;
    imca->source.Add(p.line, "picturename " + QuotedText(picture));
    *flags = CImCanvas::kHasImage | CImCanvas::kImageByName;
    return ReadOptions(p, 2, {{"shared", 0}, {"copy", 0}, {"offset", 2}, {"owned", 0}},
                       [&](const std::string& w, const auto& v) {
                         if (w == "shared") *flags |= CImCanvas::kImageShared;
                         else if (w == "copy") *flags |= CImCanvas::kImageCopied;
                         else if (w == "owned") *flags |= CImCanvas::kOwnsImage;
                         else imca->source.Add(p.line, "offset " + Joined(v, 0, 2));
                         return true;
                       });
  }

  // ---- elements
  bool Element(const SStatement& s, EKind kind, const std::string& canvasName, bool isRoot, uint32_t* number) {
    std::string name;
    if (!ReadName(s, 1, "an element", &name)) return false;
    if (s.words.size() != 2) return FailAt(s.line, "expected " + s.words[0] + " NAME {");
    *number = Next();
    SElementOut out;
    out.elem.Add(s.line, "name " + QuotedText(name));
    SRecordSource set;
    std::set<std::string> childNames;
    uint32_t order = 0;
    for (const SStatement& p : s.block) {
      if (p.opensBlock) {
        EKind childKind;
        if (!KindOf(p.words[0], &childKind)) return FailAt(p.line, "unknown word " + p.words[0]);
        std::string childName;
        if (!ReadName(p, 1, "an element", &childName)) return false;
        if (!childNames.insert(childName).second)
          return FailAt(p.line, "two children of " + QuotedText(name) + " are named " + QuotedText(childName));
        uint32_t childNumber = 0;
        if (!Element(p, childKind, canvasName, false, &childNumber)) return false;
        set.Add(p.line, p.words[0] + " " + std::to_string(childNumber) + " place 0 " + std::to_string(order++));
      } else if (!Property(p, kind, *number, &out)) {
        return false;
      }
    }
    if (!out.hasRect) return FailAt(s.line, "an element needs its rect");
    if (isRoot && !out.hasLayout) out.elem.Add(s.line, "layout " + std::to_string(kRootLayout));
    if (!out.hasEvents) out.elem.Add(s.line, "events " + std::to_string(isRoot ? kRootEvents : CElement::kDefaultEventMask));
    if (!out.hasCanvas) out.elem.Add(s.line, "canvas " + QuotedText(canvasName));
    if (!set.IsEmpty()) {
      out.elemFlags |= CElement::kLoadChildren | CElement::kLoadChildrenOwnKey;
      fRecords.push_back({"eset", *number, "", s.line, set});
    }
    out.elem.Add(s.line, "flags " + std::to_string(out.elemFlags));
    fRecords.push_back({"elem", *number, "", s.line, out.elem});
    auto kindRecord = [&](const char* tag, SRecordSource& source, uint32_t flags, bool written) {
      if (!written) return;
      if (flags) source.Add(s.line, "flags " + std::to_string(flags));
      fRecords.push_back({tag, *number, "", s.line, source});
    };
    kindRecord("coel", out.coel, out.coelFlags, !out.coel.IsEmpty() || out.coelFlags);
    kindRecord("imel", out.imel, out.imelFlags, !out.imel.IsEmpty() || out.imelFlags);
    kindRecord("txel", out.txel, out.txelFlags, kind == EKind::kTxel);
    if (out.hasOptions || out.routineList) {
      const uint32_t options = (out.hasOptions ? out.rmelOptions : kDefaultRemoteOptions) |
                               (out.routineList ? uint32_t(CRmElement::kBindRoutines) : 0u);
      out.rmel.Add(s.line, "options " + std::to_string(options));
      fRecords.push_back({"rmel", *number, "", s.line, out.rmel});
    }
    kindRecord("rsel", out.rsel, 0, !out.rsel.IsEmpty());
    return true;
  }

  bool Property(const SStatement& p, EKind kind, uint32_t number, SElementOut* out) {
    const bool image = kind == EKind::kImel || kind == EKind::kTxel;
    const bool composite = kind == EKind::kCoel || image;
    EHandled handled = ElementProperty(p, number, out);
    if (handled == EHandled::kNotMine && kind == EKind::kTxel) handled = TextProperty(p, out);
    if (handled == EHandled::kNotMine && composite) handled = CompositeProperty(p, kind, out);
    if (handled == EHandled::kNotMine && image) handled = ImageProperty(p, out);
    if (handled == EHandled::kNotMine && kind == EKind::kRmel) handled = RemoteProperty(p, out);
    if (handled == EHandled::kNotMine && kind == EKind::kRsel && p.words[0] == "open") {
      if (!Count(p, 1, 1)) return false;
      out->rsel.Add(p.line, p.text);
      return true;
    }
    if (handled == EHandled::kNotMine) return FailAt(p.line, "unknown word " + p.words[0]);
    return handled == EHandled::kDone;
  }

  // The words every element takes.
  EHandled ElementProperty(const SStatement& p, uint32_t number, SElementOut* out) {
    static const std::map<std::string, size_t> kPassed = {{"rect", 4}, {"origin", 2}, {"hotspot", 2},
                                                          {"outsets", 4}, {"events", 1}, {"window", 1},
                                                          {"canvas", 1}, {"user", 4},  {"file", 1}};
    static const std::map<std::string, uint32_t> kFlags = {
        {"shown", CElement::kLoadShown},
        {"alternate", CElement::kLoadAlternate},
        {"renderimage", CElement::kLoadRenderImage},
        {"followparent", CElement::kLoadImageFollowsParent},
        {"claimpresses", CElement::kLoadClaimsPresses},
        {"claimchars", CElement::kLoadClaimsCharacters},
        {"claimmessages", CElement::kLoadClaimsMessages},
        {"hoverhidden", CElement::kLoadHoversWhenHidden},
        {"deferred", CElement::kLoadDeferChildren}};
    const std::string& word = p.words[0];
    if (const auto it = kPassed.find(word); it != kPassed.end()) {
      if (!Count(p, it->second, it->second)) return EHandled::kFailed;
      out->elem.Add(p.line, p.text);
      out->hasRect |= word == "rect";
      out->hasEvents |= word == "events";
      out->hasCanvas |= word == "canvas";
      return EHandled::kDone;
    }
    if (const auto it = kFlags.find(word); it != kFlags.end()) {
      if (!Count(p, 0, 0)) return EHandled::kFailed;
      out->elemFlags |= it->second;
      return EHandled::kDone;
    }
    if (word == "layout") {
      if (p.words.size() < 2) return Handled(FailAt(p.line, "layout needs its flags"));
      out->elem.Add(p.line, "layout " + p.words[1]);
      out->hasLayout = true;
      return Handled(ReadOptions(p, 2, {{"position", 2}, {"size", 2}}, [&](const std::string& w, const auto& v) {
        out->elem.Add(p.line, w + " " + Joined(v, 0, 2));
        return true;
      }));
    }
    if (word == "fit") {
      out->elemFlags |= CElement::kLoadFit;
      return Handled(FlagWords(p, 1,
                               {{"bounds", CElement::kLoadFitBounds},
                                {"shownonly", CElement::kLoadFitShownOnly},
                                {"outsets", CElement::kLoadFitOutsets}},
                               &out->elemFlags));
    }
    if (word == "callbacks") {
      if (!Count(p, 1, kCallbackCount)) return EHandled::kFailed;
      SRecordSource list;
      for (size_t i = 1; i < p.words.size(); ++i) list.Add(p.line, std::to_string(i - 1) + " " + p.words[i]);
      fRecords.push_back({"ixtx", number, "", p.line, list});
      out->elemFlags |= CElement::kLoadCallbacks | CElement::kLoadCallbacksOwnKey;
      return EHandled::kDone;
    }
    return EHandled::kNotMine;
  }

  // The layer option and the outsets flag that fills, pictures and shadows take.
  bool LayerAndOutsets(const SStatement& p, size_t first, SRecordSource* source, const char* layerKeyword,
                       uint32_t* flags, uint32_t outsetsFlag) {
    return ReadOptions(p, first, {{"layer", 1}, {"outsets", 0}}, [&](const std::string& w, const auto& v) {
      if (w == "layer") source->Add(p.line, std::string(layerKeyword) + " " + v[0]);
      else if (outsetsFlag) *flags |= outsetsFlag;
      else return FailAt(p.line, "unexpected outsets");
      return true;
    });
  }

  bool Shadow(const SStatement& p, SRecordSource* source, uint32_t* flags, uint32_t on, uint32_t outsets) {
    if (p.words.size() < 5) return FailAt(p.line, p.words[0] + " needs DX DY RADIUS OPACITY");
    source->Add(p.line, "shadow " + Joined(p.words, 1, 3));
    source->Add(p.line, "shadowopacity " + p.words[4]);
    *flags |= on;
    return LayerAndOutsets(p, 5, source, "shadowlayer", flags, outsets);
  }

  // The list of a coel's colours or an imel's pictures: LIST [entry N] [flag].
  bool ListReference(const SStatement& p, SRecordSource* source, uint32_t* flags, uint32_t taken, const char* flagWord,
                     uint32_t flag) {
    std::string list;
    if (!ReadName(p, 1, "a list reference", &list)) return false;
    source->Add(p.line, "listname " + QuotedText(list));
    *flags |= taken;
    return ReadOptions(p, 2, {{"entry", 1}, {flagWord, 0}}, [&](const std::string& w, const auto& v) {
      if (w == "entry") source->Add(p.line, "entry " + v[0]);
      else *flags |= flag;
      return true;
    });
  }

  EHandled CompositeProperty(const SStatement& p, EKind kind, SElementOut* out) {
    const std::string& word = p.words[0];
    if (word == "fill") {
      if (p.words.size() < 2) return Handled(FailAt(p.line, "fill needs its colour"));
      out->coel.Add(p.line, "colour " + p.words[1]);
      out->coelFlags |= CCoElement::kFillOn;
      return Handled(LayerAndOutsets(p, 2, &out->coel, "filllayer", &out->coelFlags, 0));
    }
    if (word == "colours")
      return Handled(ListReference(p, &out->coel, &out->coelFlags, CCoElement::kTakeList | CCoElement::kListByName, "use",
                           CCoElement::kListColor));
    if (word == "boxshadow")
      return Handled(Shadow(p, &out->coel, &out->coelFlags, CCoElement::kShadowOn, CCoElement::kShadowOutsets));
    if (word == "opacity") {
      if (!Count(p, 1, 1)) return EHandled::kFailed;
      (kind == EKind::kCoel ? out->coel : kind == EKind::kImel ? out->imel : out->txel).Add(p.line, p.text);
      return EHandled::kDone;
    }
    return EHandled::kNotMine;
  }

  EHandled ImageProperty(const SStatement& p, SElementOut* out) {
    static const std::map<std::string, uint32_t> kFlags = {{"translucent", CImElement::kTranslucent},
                                                           {"owns", CImElement::kOwnsImage},
                                                           {"blank", CImElement::kBlankImage}};
    const std::string& word = p.words[0];
    uint32_t& flags = out->imelFlags;
    if (const auto it = kFlags.find(word); it != kFlags.end()) {
      if (!Count(p, 0, 0)) return EHandled::kFailed;
      flags |= it->second;
      return EHandled::kDone;
    }
    if (word == "picture") {
      std::string picture;
      if (!ReadName(p, 1, "a picture reference", &picture)) return EHandled::kFailed;
      out->imel.Add(p.line, "picturename " + QuotedText(picture));
      flags |= CImElement::kLoadImage | CImElement::kImageByName;
      return Handled(ReadOptions(p, 2, {{"shared", 0}, {"copy", 0}, {"position", 2}, {"layer", 1}},
                         [&](const std::string& w, const auto& v) {
                           if (w == "shared") flags |= CImElement::kImageShared;
                           else if (w == "copy") flags |= CImElement::kImageCopied;
                           else out->imel.Add(p.line, w + " " + Joined(v, 0, 2));
                           return true;
                         }));
    }
    if (word == "images")
      return Handled(ListReference(p, &out->imel, &flags, CImElement::kTakeList | CImElement::kListByName, "show",
                           CImElement::kShowListEntry));
    if (word == "shadow") return Handled(Shadow(p, &out->imel, &flags, CImElement::kShadowOn, CImElement::kShadowInOutsets));
    if (word == "fitpicture") {
      flags |= CImElement::kFitToImage;
      return Handled(FlagWords(p, 1, {{"outsets", CImElement::kFitShadowOutsets}}, &flags));
    }
    return EHandled::kNotMine;
  }

  // ---- text styles and text elements

  // A reference to a resource: "NAME", number N or self; keyword takes the number, nameKeyword the
  // name, and the flags say which.
  bool Reference(const SStatement& p, SRecordSource* source, const char* keyword, const char* nameKeyword,
                 uint32_t* flags, uint32_t taken, uint32_t byName, uint32_t self) {
    if (p.words.size() == 3 && p.words[1] == "number") {
      int64_t n = 0;
      if (!ReadInteger(p.words[2], 0, UINT32_MAX, &n)) return FailAt(p.line, "expected a number, found " + p.words[2]);
      source->Add(p.line, std::string(keyword) + " " + std::to_string(n));
      *flags |= taken;
      return true;
    }
    if (!Count(p, 1, 1)) return false;
    if (p.words[1] == "self") {
      *flags |= taken | self;
      return true;
    }
    std::string name;
    if (!ReadName(p, 1, "a reference", &name)) return false;
    source->Add(p.line, std::string(nameKeyword) + " " + QuotedText(name));
    *flags |= taken | byName;
    return true;
  }

  bool Style(const SStatement& s) {
    SRecord record{"fost", 0, "", s.line, {}};
    if (!ReadName(s, 1, "a style", &record.name) || !ClaimName(s, record.kind, record.name)) return false;
    if (!s.opensBlock) return FailAt(s.line, "a style's settings go in a block");
    bool numbered = false;
    const bool read = ReadOptions(s, 2, {{"number", 1}}, [&](const std::string&, const auto& v) {
      return TakeNumber(s, record.kind, v[0], &record.number, &numbered);
    });
    if (!read) return false;
    if (!numbered) record.number = Next();
    static const std::map<std::string, std::pair<const char*, size_t>> kPassed = {
        {"matrix", {"matrix", 4}}, {"colour", {"colour", 1}},         {"align", {"align", 2}},
        {"spacing", {"spacing", 1}}, {"line-height", {"lineheight", 1}}, {"wrap", {"wrap", 1}}};
    static const std::map<std::string, uint32_t> kFlags = {
        {"outline", STextStyle::kOutline}, {"mask", STextStyle::kMask}, {"baseline", STextStyle::kBaseline}};
    uint32_t flags = 0;
    for (const SStatement& p : s.block) {
      const std::string& word = p.words[0];
      if (p.opensBlock) return FailAt(p.line, word + " opens no block");
      if (const auto it = kPassed.find(word); it != kPassed.end()) {
        if (!Count(p, it->second.second, it->second.second)) return false;
        record.source.Add(p.line, it->second.first + (" " + Joined(p.words, 1, it->second.second)));
      } else if (const auto flag = kFlags.find(word); flag != kFlags.end()) {
        if (!Count(p, 0, 0)) return false;
        flags |= flag->second;
      } else if (word == "font") {
        if (!Reference(p, &record.source, "font", "fontname", &flags, STextStyle::kNamesFont, STextStyle::kFontByName,
                       STextStyle::kFontOwnKey))
          return false;
      } else {
        return FailAt(p.line, "unknown word " + word);
      }
    }
    record.source.Add(s.line, "flags " + std::to_string(flags));
    fRecords.push_back(std::move(record));
    return true;
  }

  EHandled TextProperty(const SStatement& p, SElementOut* out) {
    static const std::map<std::string, const char*> kPassed = {
        {"position", "position"}, {"index", "index"}, {"text-layer", "textlayer"}, {"shadow-layer", "shadowlayer"}};
    const std::string& word = p.words[0];
    uint32_t& flags = out->txelFlags;
    if (const auto it = kPassed.find(word); it != kPassed.end()) {
      const size_t values = word == "position" ? 2 : 1;
      if (!Count(p, values, values)) return EHandled::kFailed;
      out->txel.Add(p.line, it->second + (" " + Joined(p.words, 1, values)));
      return EHandled::kDone;
    }
    if (word == "text") {
      if (!Count(p, 1, 2)) return EHandled::kFailed;
      if (p.words[1].front() != '"') return Handled(FailAt(p.line, "expected a quoted text, found " + p.words[1]));
      out->txel.Add(p.line, "text " + p.words[1]);
      flags |= CTxElement::kUseText;
      return Handled(FlagWords(p, 2, {{"owned", CTxElement::kOwnsText}}, &flags));
    }
    if (word == "list")
      return Handled(Reference(p, &out->txel, "list", "listname", &flags, CTxElement::kUseList, CTxElement::kListByName,
                               CTxElement::kListOwnKey));
    if (word == "style")
      return Handled(Reference(p, &out->txel, "style", "stylename", &flags, CTxElement::kUseStyle,
                               CTxElement::kStyleByName, CTxElement::kStyleOwnKey));
    if (word == "textshadow") {
      if (p.words.size() < 5) return Handled(FailAt(p.line, "textshadow needs DX DY RADIUS OPACITY"));
      out->txel.Add(p.line, "shadow " + Joined(p.words, 1, 3));
      out->txel.Add(p.line, "shadowopacity " + p.words[4]);
      return Handled(FlagWords(p, 5, {{"shown", CTxElement::kShadowShown}, {"overflows", CTxElement::kShadowOverflows}},
                               &flags));
    }
    if (word == "fittext") {
      flags |= CTxElement::kFitText;
      return Handled(FlagWords(p, 1, {{"extend", CTxElement::kFitShadowOutsets}}, &flags));
    }
    return EHandled::kNotMine;
  }

  EHandled RemoteProperty(const SStatement& p, SElementOut* out) {
    const std::string& word = p.words[0];
    if (word == "options") {
      out->hasOptions = true;
      return Handled(FlagWords(p, 1,
                               {{"build", CRmElement::kBuildChildrenOnOpen},
                                {"free", CRmElement::kFreeChildrenOnClose},
                                {"show", CRmElement::kShowOnOpen},
                                {"hide", CRmElement::kHideOnClose},
                                {"hold", CRmElement::kHoldApplication}},
                               &out->rmelOptions));
    }
    if (word == "routines") {
      if (!Count(p, 1, kRoutineCount)) return EHandled::kFailed;
      if (out->routineList) return Handled(FailAt(p.line, "routines are given twice"));
      out->routineList = Next();
      SRecordSource list;
      for (size_t i = 1; i < p.words.size(); ++i) list.Add(p.line, std::to_string(i - 1) + " " + p.words[i]);
      fRecords.push_back({"ixtx", out->routineList, "", p.line, list});
      out->rmel.Add(p.line, "list " + std::to_string(out->routineList));
      return EHandled::kDone;
    }
    return EHandled::kNotMine;
  }

  std::string fFile;
  std::string fFolder;
  uint32_t fNext = kFirstNumber;
  std::vector<SRecord> fRecords;
  std::vector<SPicture> fPictures;
  std::set<std::pair<std::string, std::string>> fNames;
  std::set<std::pair<std::string, uint32_t>> fNumbers;
  std::string fError;
};

}  // namespace

bool CompileLayoutText(CResourceEnv& env, const std::string& text, const std::string& fileName,
                       const std::string& folder, std::string* error) {
  CLayoutCompiler compiler(fileName, folder);
  if (compiler.Compile(text) && compiler.Store(env)) return true;
  *error = compiler.Error();
  return false;
}

bool CompileLayoutFile(CResourceEnv& env, const std::string& path, std::string* error) {
  std::string text;
  if (const std::string problem = ReadInputFile(path, &text); !problem.empty()) {
    *error = path + ": " + problem;
    return false;
  }
  const size_t slash = path.find_last_of('/');
  return CompileLayoutText(env, text, path, slash == std::string::npos ? "." : path.substr(0, slash), error);
}
