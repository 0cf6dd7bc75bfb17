#include "installer/setvane.h"

#include <cstdlib>

#include "installer/extract.h"
#include "installer/setup_dialogs.h"
#include "platform/ansi_text.h"
#include "platform/file.h"
#include "platform/folder.h"
#include "platform/process.h"
#include "platform/program_manager.h"
#include "platform/window.h"

namespace {

constexpr const char* kProductName = "Carvane";
constexpr const char* kProgramName = "cvn32.exe";
constexpr const char* kFallbackMark = "C:\\CARVANE";
constexpr uint32_t kWarning = platform::kMbOk | platform::kMbIconWarning;

constexpr const char* kTextNotInstalled =
    "Carvane will not be installed at this time.If you decide to install Carvane later, just launch this "
    "program again to complete the installation process.";
constexpr const char* kTextCannotCreateFolder =
    "Carvane was not able to create a directory by that name. Please enter a name for the new directory where "
    "Carvane will be installed. C:\\CARVANE is recommended.";
constexpr const char* kTextNotAFolder =
    "The path you have entered refers to a file, not to a directory. Please enter the path of a new or existing "
    "directory where you would like Carvane to be installed. We suggest this location: C:\\CARVANE";
constexpr const char* kTextCannotCreateFile =
    "Carvane was not able to create one of its component files. Either the disk is full, or you do not have "
    "write access to the directory in which you are attempting to install Carvane. Check your available disk "
    "space and run the setup program again.";
constexpr const char* kTextUnfinishedWrite =
    "Carvane was unable to finish writing a file to disk. Your hard drive is probably full. Check your "
    "available disk space, make additional space available, and run the setup program again.";
constexpr const char* kTextNoMemoryLeft =
    "Insufficient memory was available for the setup procedure. Close other applications and run the setup "
    "program again.";
constexpr const char* kTextAskProgramGroup =
    "Carvane has been installed on your computer. To make it easier to find, this installation program can add "
    "a program group to your start menu (and/or program manager). Would you like Carvane to be added to your "
    "program groups?";
constexpr const char* kTextAskStart =
    "Carvane has been successfully installed on your system.The software is now available in your Start Menu or "
    "Program Manager, in the Carvane group. Would you like to start Carvane now?";
constexpr const char* kTextGroupFailed =
    "The Carvane program group could not be added to your start menu. Carvane is installed all the same.";
constexpr const char* kTextAskStartWithoutGroup =
    "Carvane has been successfully installed on your system. Would you like to start Carvane now?";

// A message naming the fallback folder where the system's own path stood, in the texts' character set.
std::string WithFallback(const char* text) {
  std::string message = text;
  message.replace(message.find(kFallbackMark), std::string(kFallbackMark).size(), platform::Utf8ToAnsi(FallbackFolder()));
  return message;
}

// What the user typed as a path: "~" and "~/..." are under the home folder.
std::string ExpandHome(const std::string& typed) {
  if (typed == "~" || typed.starts_with("~/")) return platform::HomeFolder() + typed.substr(1);
  return typed;
}

const char* FailureText(int32_t result) {
  switch (result) {
    case kCannotCreate: return kTextCannotCreateFile;
    case kNoMemory: return kTextNoMemoryLeft;
    default: return kTextUnfinishedWrite;
  }
}

std::string ProgramPath(const std::string& folder) { return folder + "/" + kProgramName; }

}  // namespace

std::string FallbackFolder() { return platform::HomeFolder() + "/" + kProductName; }

std::string SuggestedFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  const std::string shared = data && data[0] == '/' ? data : platform::HomeFolder() + "/.local/share";
  return platform::IsFolder(shared) ? shared + "/" + kProductName : FallbackFolder();
}

bool ChooseFolder(std::string* folder) {
  // The field holds the text as typed, in the fields' character set; the folder is a file system path.
  std::string field = platform::Utf8ToAnsi(SuggestedFolder());
  for (;;) {
    if (!AskFolder(&field)) {
      platform::MessageBox(nullptr, kTextNotInstalled, "Carvane Not Installed", kWarning);
      return false;
    }
    const std::string path = ExpandHome(platform::AnsiToUtf8(field));
    if (!platform::PathExists(path)) {
      if (!platform::CreateFolder(path)) {
        platform::MessageBox(nullptr, WithFallback(kTextCannotCreateFolder), "Can't Create Directory", platform::kMbOk);
        continue;
      }
    } else if (!platform::IsFolder(path)) {
      platform::MessageBox(nullptr, WithFallback(kTextNotAFolder), "Not A Directory", platform::kMbOk);
      continue;
    }
    if (!platform::FullPath(path, folder)) *folder = path;
    if (folder->size() > 1 && folder->back() == '/') folder->pop_back();
    return true;
  }
}

bool InstallInto(const SPayloadTable& payload, const std::string& folder) {
  platform::WindowHandle progress = CreateProgressDialog();
  const int32_t result = ExtractPayload(payload, folder, progress, progress ? &ReportProgress : nullptr);
  if (progress) platform::DestroyWindow(progress);
  if (result == kExtracted) return true;
  platform::MessageBox(nullptr, FailureText(result), "Carvane Installation Failed", kWarning);
  return false;
}

bool OfferProgramGroup(const std::string& folder) {
  if (platform::MessageBox(nullptr, kTextAskProgramGroup, "Add Program Group", platform::kMbYesNo) != platform::kIdYes)
    return true;
  // The paths go in quotes with their own quotes doubled, so that any folder name reaches the entry
  // whole; the first command that fails ends the group, and the user is told.
  for (const std::string& command :
       {std::string("[CreateGroup(Carvane)]"), std::string("[ShowGroup(Carvane,5)]"),
        std::string("[ReplaceItem(Carvane)]"),
        "[AddItem(" + platform::QuotedArgument(ProgramPath(folder)) + ",Carvane,,,,," +
            platform::QuotedArgument(folder) + ")]"}) {
    if (!platform::SendProgramManagerCommand(command)) {
      platform::MessageBox(nullptr, kTextGroupFailed, "Add Program Group", kWarning);
      return false;
    }
  }
  return true;
}

int OfferStart(const std::string& folder, bool inGroup) {
  const char* text = inGroup ? kTextAskStart : kTextAskStartWithoutGroup;
  if (platform::MessageBox(nullptr, text, "Installation Successful", platform::kMbYesNo) != platform::kIdYes)
    return kInstalled;
  return platform::StartProgram(ProgramPath(folder), platform::kSwShow) ? kInstalled : kStartFailed;
}

int RunSetvane(const SPayloadTable& payload) {
  std::string folder;
  if (!ChooseFolder(&folder) || !InstallInto(payload, folder)) return kNotInstalled;
  return OfferStart(folder, OfferProgramGroup(folder));
}
