// The shell's program-manager service, which installers send their program groups to. Its commands
// keep the system's text forms:
//   [CreateGroup(G)]                 makes the menu group G the current one
//   [ShowGroup(G,N)]                 makes G the current group (showing it is the desktop's business)
//   [ReplaceItem(N)]                 removes the item N of the current group
//   [AddItem("PATH",N,,,,,"DIR")]    adds the item N that starts PATH in the folder DIR
// An argument may be written in quotes, which lets it hold commas and brackets; inside the quotes a
// quote is written twice (QuotedArgument).
//
// On Linux a group is a freedesktop menu: CreateGroup(G) writes $XDG_DATA_HOME/desktop-directories/
// G.directory and $XDG_CONFIG_HOME/menus/applications-merged/G.menu, a submenu G of "Applications"
// that takes the category "X-G"; an item is the desktop entry $XDG_DATA_HOME/applications/N.desktop
// in that category. The folders default to ~/.local/share and ~/.config and are made when missing;
// every file is written whole or not at all.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Sends one command to the service: the headless back end notes it and only checks it; otherwise the
// command is carried out. False when the command is not understood or cannot be carried out.
bool SendProgramManagerCommand(const std::string& command);
// Carries the command out on the desktop's menu files, whichever back end runs.
bool RunProgramManagerCommand(const std::string& command);
// The text as a command's argument: in quotes, each quote in it doubled.
std::string QuotedArgument(const std::string& text);

namespace headless {

// The commands sent so far, in order.
const std::vector<std::string>& ProgramManagerCommands();

}  // namespace headless
}  // namespace platform
