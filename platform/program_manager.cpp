#include "platform/program_manager.h"

#include <strings.h>

#include <cctype>
#include <cstdlib>

#include "platform/file.h"
#include "platform/folder.h"
#include "platform/window.h"

namespace platform {
namespace {

std::vector<std::string> gSent;
std::string gGroup;  // the current group: the last one created or shown

struct SCommand {
  std::string name;
  std::vector<std::string> arguments;
};

// "[Name(a,b,...)]"; quotes delimit an argument and are not part of it, and within them a quote
// written twice stands for one.
bool ParseCommand(const std::string& text, SCommand* command) {
  if (text.size() < 4 || text.front() != '[' || text.back() != ']' || text[text.size() - 2] != ')') return false;
  const size_t open = text.find('(');
  if (open == std::string::npos || open < 2) return false;
  command->name = text.substr(1, open - 1);
  command->arguments.assign(1, {});
  bool quoted = false;
  const size_t end = text.size() - 2;
  for (size_t i = open + 1; i < end; ++i) {
    const char c = text[i];
    if (c == '"' && quoted && i + 1 < end && text[i + 1] == '"') command->arguments.back() += text[i++];
    else if (c == '"') quoted = !quoted;
    else if (c == ',' && !quoted) command->arguments.emplace_back();
    else command->arguments.back() += c;
  }
  return !quoted;
}

bool Is(const SCommand& command, const char* name, size_t arguments) {
  return strcasecmp(command.name.c_str(), name) == 0 && command.arguments.size() == arguments;
}

bool HasControlCharacter(const std::string& text) {
  for (char c : text) {
    if (uint8_t(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
}

// A group or item name becomes a file name: it must stay one.
bool IsUsableName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         !HasControlCharacter(name);
}

// An XDG base folder: the variable's value when it is an absolute path, else the default under home.
std::string BaseFolder(const char* variable, const char* underHome) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return value;
  return HomeFolder() + "/" + underHome;
}

std::string DataFolder() { return BaseFolder("XDG_DATA_HOME", ".local/share"); }
std::string ConfigFolder() { return BaseFolder("XDG_CONFIG_HOME", ".config"); }

bool MakeFolders(const std::string& folder) {
  for (size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != '/') continue;
    const std::string part = folder.substr(0, at);
    if (!IsFolder(part) && !CreateFolder(part)) return false;
  }
  return true;
}

// The whole text in the file's place, or the file as it was.
bool WriteWhole(const std::string& folder, const std::string& name, const std::string& text) {
  const std::string path = folder + "/" + name;
  std::string temporary;
  if (!MakeFolders(folder) || !MakeTempBeside(path, &temporary)) return false;
  const FileHandle file = OpenFile(temporary, kAccessWrite, 0, FileCreate::kOpenExisting);
  uint32_t done = 0;
  bool written = file != kNoFile && WriteFile(file, text.data(), uint32_t(text.size()), &done) && done == text.size() &&
                 FlushFile(file);
  if (file != kNoFile) written = CloseFile(file) && written;
  if (written && ReplaceFile(temporary, path)) return true;
  DeleteFile(temporary);
  return false;
}

// A desktop entry's string value: backslashes doubled and a leading blank kept.
std::string EntryString(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  if (!out.empty() && out[0] == ' ') out.replace(0, 1, "\\s");
  return out;
}

// An argument of Exec in quotes: the characters the rule names are escaped inside the quotes, then
// the value is escaped as any string is, and a percent sign is doubled so that it is no field code.
std::string ExecArgument(const std::string& path) {
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  std::string out;
  for (char c : EntryString(quoted)) out += c == '%' ? std::string("%%") : std::string(1, c);
  return out;
}

// The group's category: "X-" and the name, with what a category may not hold made '-'.
std::string CategoryOf(const std::string& group) {
  std::string category = "X-";
  for (char c : group) category += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ? c : '-';
  return category;
}

std::string XmlText(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

bool CreateGroup(const std::string& group, bool write) {
  if (!IsUsableName(group)) return false;
  if (!write) {
    gGroup = group;
    return true;
  }
  const std::string directory = "[Desktop Entry]\nType=Directory\nName=" + EntryString(group) + "\n";
  const std::string menu =
      "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
      " \"http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd\">\n"
      "<Menu>\n"
      "  <Name>Applications</Name>\n"
      "  <Menu>\n"
      "    <Name>" + XmlText(group) + "</Name>\n"
      "    <Directory>" + XmlText(group) + ".directory</Directory>\n"
      "    <Include>\n"
      "      <Category>" + CategoryOf(group) + "</Category>\n"
      "    </Include>\n"
      "  </Menu>\n"
      "</Menu>\n";
  if (!WriteWhole(DataFolder() + "/desktop-directories", group + ".directory", directory) ||
      !WriteWhole(ConfigFolder() + "/menus/applications-merged", group + ".menu", menu))
    return false;
  gGroup = group;
  return true;
}

bool ReplaceItem(const std::string& item, bool write) {
  if (!IsUsableName(item) || gGroup.empty()) return false;
  if (!write) return true;
  const std::string path = DataFolder() + "/applications/" + item + ".desktop";
  return !PathExists(path) || DeleteFile(path);
}

bool AddItem(const std::string& program, const std::string& item, const std::string& folder, bool write) {
  if (!IsUsableName(item) || gGroup.empty() || program.empty() || HasControlCharacter(program) ||
      HasControlCharacter(folder))
    return false;
  if (!write) return true;
  std::string entry = "[Desktop Entry]\nType=Application\nName=" + EntryString(item) + "\nExec=" +
                      ExecArgument(program) + "\n";
  if (!folder.empty()) entry += "Path=" + EntryString(folder) + "\n";
  entry += "Terminal=false\nCategories=" + CategoryOf(gGroup) + ";\n";
  return WriteWhole(DataFolder() + "/applications", item + ".desktop", entry);
}

// The command checked, and carried out with write.
bool Carry(const std::string& text, bool write) {
  SCommand c;
  if (!ParseCommand(text, &c)) return false;
  if (Is(c, "CreateGroup", 1)) return CreateGroup(c.arguments[0], write);
  if (Is(c, "ShowGroup", 2)) {
    if (!IsUsableName(c.arguments[0])) return false;
    gGroup = c.arguments[0];
    return true;
  }
  if (Is(c, "ReplaceItem", 1)) return ReplaceItem(c.arguments[0], write);
  // AddItem(program, name, icon file, icon index, x, y, folder).
  if (strcasecmp(c.name.c_str(), "AddItem") == 0 && !c.arguments.empty() && c.arguments.size() <= 7) {
    c.arguments.resize(7);
    return AddItem(c.arguments[0], c.arguments[1], c.arguments[6], write);
  }
  return false;
}

}  // namespace

bool RunProgramManagerCommand(const std::string& text) { return Carry(text, true); }

bool SendProgramManagerCommand(const std::string& command) {
  if (!IsHeadless()) return RunProgramManagerCommand(command);
  gSent.push_back(command);
  return Carry(command, false);
}

std::string QuotedArgument(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

namespace headless {

const std::vector<std::string>& ProgramManagerCommands() { return gSent; }

}  // namespace headless
}  // namespace platform
