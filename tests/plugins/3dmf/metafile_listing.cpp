#include "tests/plugins/3dmf/metafile_listing.h"

#include <cstdio>
#include <regex>
#include <sstream>

#include "plugins/3dmf/metafile.h"

namespace {

std::string Float(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", double(value));
  return text;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default:
        if (static_cast<unsigned char>(c) < ' ') {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

template <typename T, typename Format>
std::string Values(const std::vector<T>& values, Format format) {
  if (values.size() == 1) return format(values[0]);
  std::string out = "[";
  for (size_t i = 0; i < values.size(); ++i) out += (i ? " " : "") + format(values[i]);
  return out + "]";
}

std::string Message(int32_t code) {
  const char* message = MetafileMessage(code);
  return std::to_string(code) + " " + (message ? message : "?");
}

void ListObject(const MetafileObject& object, int32_t indent, std::ostringstream& out);

void ListField(const SMetafileField& field, int32_t indent, std::ostringstream& out, std::string& nested) {
  switch (field.type) {
    case EMetafileField::kFloat32:
      out << ' ' << Values(field.floats, Float);
      return;
    case EMetafileField::kString:
      out << ' ' << Quoted(field.text);
      return;
    case EMetafileField::kRawData: {
      out << " 0x";
      for (const uint8_t byte : field.bytes) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", byte);
        out << hex;
      }
      return;
    }
    case EMetafileField::kPosition:
      if (field.text.empty()) out << " @" << field.position;
      else out << ' ' << field.text << '>';
      return;
    case EMetafileField::kObject: {
      std::ostringstream inner;
      ListObject(*field.object, indent + 1, inner);
      nested += inner.str();
      return;
    }
    default:
      out << ' ' << Values(field.integers, [](int64_t value) { return std::to_string(value); });
  }
}

void ListObject(const MetafileObject& object, int32_t indent, std::ostringstream& out) {
  const char* name = object.classCode == kMetafileEndContainer ? "EndContainer" : MetafileClassName(object.classCode);
  out << std::string(size_t(indent) * 2, ' ') << (name ? name : "unknown") << ' ';
  if (object.label) out << object.label->reference;
  else out << '-';
  std::string nested;
  for (const SMetafileField& field : object.fields) ListField(field, indent, out, nested);
  out << '\n' << nested;
}

}  // namespace

std::string ListMetafile(const std::string& path) {
  std::ostringstream out;
  MetafileContext* context = nullptr;
  if (const int32_t code = MetafileOpenFile(path.c_str(), &context)) return "! " + Message(code) + "\n";
  int32_t depth = 0;
  for (;;) {
    MetafileObject* object = nullptr;
    const int32_t code = MetafileReadObject(context, &object);
    if (code == kMetafileNoMoreObjects) break;
    if (!object) {
      out << "! " << Message(code) << '\n';
      break;
    }
    if (object->classCode == kMetafileEndContainer) --depth;
    ListObject(*object, depth, out);
    if (object->classCode == MetafileCode("cntr")) ++depth;
    if (code != kMetafileFine) out << "~ " << Message(code) << '\n';
    MetafileDisposeObject(object);
  }
  if (const int32_t code = MetafileClose(context)) out << "! " << Message(code) << '\n';
  return out.str();
}

std::string WithoutPositions(const std::string& listing) {
  static const std::regex kPosition(R"( (@\d+|\S*>)(?=[ \n]))");
  return std::regex_replace(listing, kPosition, " <position>");
}
